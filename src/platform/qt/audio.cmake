quillo_add_sources(quillo_platform_qt QtAudioInput.h QtAudioInput.cpp)
target_link_libraries(quillo_platform_qt PUBLIC Qt6::Multimedia)
