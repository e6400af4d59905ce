quillo_add_sources(quillo_platform_qt QtSounds.h QtSounds.cpp)
target_link_libraries(quillo_platform_qt PUBLIC Qt6::Multimedia)
