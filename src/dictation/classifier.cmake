quillo_add_sources(quillo_dictation AppClassifier.h AppClassifier.cpp)
target_link_libraries(quillo_dictation PUBLIC Qt6::Core)
