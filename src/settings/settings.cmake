quillo_add_sources(quillo_settings
  TargetLanguage.h TargetLanguage.cpp
  TranslateTrigger.h TranslateTrigger.cpp
  SettingsRules.h SettingsRules.cpp
  SecretStore.h SecretStore.cpp
  APIKeyState.h
  AppSettings.h AppSettings.cpp
  HistoryEntry.h HistoryEntry.cpp
  HistoryStore.h HistoryStore.cpp)
target_link_libraries(quillo_settings PUBLIC quillo_hotkeys Qt6::Core)
