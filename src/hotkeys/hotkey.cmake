quillo_add_sources(quillo_hotkeys Hotkey.h Hotkey.cpp KeyNames.h KeyNames.cpp)
target_link_libraries(quillo_hotkeys PUBLIC Qt6::Core)
