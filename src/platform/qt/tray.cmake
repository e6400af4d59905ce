# Whether the desktop has a tray to show the icon in.
quillo_add_sources(quillo_platform_qt SystemTrayProbe.h SystemTrayProbe.cpp)
target_link_libraries(quillo_platform_qt PUBLIC Qt6::Widgets Qt6::DBus)
