quillo_add_sources(quillo_dictation AppStyle.h AppStyle.cpp)
target_link_libraries(quillo_dictation PUBLIC Qt6::Core)
