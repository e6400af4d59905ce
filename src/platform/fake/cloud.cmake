quillo_add_sources(quillo_platform_fake FakeWebSocket.h FakeWebSocket.cpp FakeHttpClient.h FakeHttpClient.cpp)
if(QUILLO_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(quillo_platform_fake PRIVATE -fsanitize=fuzzer-no-link)
endif()
