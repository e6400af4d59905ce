quillo_add_sources(quillo_dictation
  DictationPhase.h
  HUDModel.h HUDModel.cpp)
target_link_libraries(quillo_dictation PUBLIC Qt6::Core)
