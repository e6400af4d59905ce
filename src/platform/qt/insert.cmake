quillo_add_sources(quillo_platform_qt
  QtPasteboard.h QtPasteboard.cpp)
target_link_libraries(quillo_platform_qt PUBLIC Qt6::Gui Qt6::Multimedia)
