quillo_add_sources(quillo_ui
  PanelContent.h PanelContent.cpp
  PanelPlacement.h PanelPlacement.cpp
  PanelIcons.h PanelIcons.cpp
  RecordingPanelPainter.h RecordingPanelPainter.cpp
  PanelWindow.h PanelWindow.cpp
  RecordingPanel.h RecordingPanel.cpp
  Theme.h Theme.cpp
  DesktopTheme.h DesktopTheme.cpp
  ToggleSwitch.h ToggleSwitch.cpp
  SegmentedControl.h SegmentedControl.cpp
  ShortcutRow.h ShortcutRow.cpp
  WarningRow.h WarningRow.cpp
  HistoryRow.h HistoryRow.cpp
  KeptRecordingsList.h KeptRecordingsList.cpp
  MenuText.h MenuText.cpp
  MenuContent.h MenuContent.cpp
  SettingsText.h SettingsText.cpp
  ConnectionTest.h ConnectionTest.cpp
  PermissionRow.h PermissionRow.cpp
  HotkeyRecorderView.h HotkeyRecorderView.cpp
  SettingsLayout.h SettingsLayout.cpp
  ServiceSection.h ServiceSection.cpp
  SettingsView.h SettingsView.cpp
  SettingsWindow.h SettingsWindow.cpp
  TrayIcon.h TrayIcon.cpp
  ScreenshotScene.h ScreenshotScene.cpp
  ScreenshotRenderer.h ScreenshotRenderer.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/WindowHints.h)
target_link_libraries(quillo_ui PUBLIC Qt6::Widgets quillo_dictation quillo_settings quillo_hotkeys quillo_refinement
  quillo_platform_fake)
