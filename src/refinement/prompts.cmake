quillo_add_sources(quillo_refinement Prompts.h Prompts.cpp)
target_link_libraries(quillo_refinement PUBLIC Qt6::Core)
