quillo_add_sources(quillo_hotkeys HotkeyManager.h HotkeyManager.cpp ShortcutPressTracker.h ShortcutPressTracker.cpp HotkeyRecorderModel.h HotkeyRecorderModel.cpp)
target_link_libraries(quillo_hotkeys PUBLIC Qt6::Core)
