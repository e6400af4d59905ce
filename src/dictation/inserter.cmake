quillo_add_sources(quillo_dictation
  PasteChordTable.h PasteChordTable.cpp
  TextInserter.h TextInserter.cpp
  InsertionRoute.h InsertionRoute.cpp
  InsertionRouter.h InsertionRouter.cpp)
target_link_libraries(quillo_dictation PUBLIC Qt6::Core)
