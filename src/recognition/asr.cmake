quillo_add_sources(quillo_recognition
  ASRError.h ASRError.cpp
  RealtimeProtocol.h RealtimeProtocol.cpp
  QwenRealtimeASR.h QwenRealtimeASR.cpp)
target_link_libraries(quillo_recognition PUBLIC Qt6::Core)
if(QUILLO_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(quillo_recognition PRIVATE -fsanitize=fuzzer-no-link)
endif()
