quillo_add_sources(quillo_refinement
  PolishError.h PolishError.cpp
  ChatClient.h ChatClient.cpp)
target_link_libraries(quillo_refinement PUBLIC Qt6::Core)
if(QUILLO_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(quillo_refinement PRIVATE -fsanitize=fuzzer-no-link)
endif()
