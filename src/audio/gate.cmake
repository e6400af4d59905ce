quillo_add_sources(quillo_audio SpeechGate.h SpeechGate.cpp)
target_link_libraries(quillo_audio PUBLIC Qt6::Core)
