quillo_add_sources(quillo_recognition Segments.h Segments.cpp)
target_link_libraries(quillo_recognition PUBLIC Qt6::Core)
