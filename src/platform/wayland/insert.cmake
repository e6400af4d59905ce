# Wayland adapters: helper programs (wl-clipboard, wtype), compositor IPC, the registry.
quillo_add_sources(quillo_platform_wayland
  ProcessRunner.h ProcessRunner.cpp
  WlClipboardPasteboard.h WlClipboardPasteboard.cpp
  WtypeKeystrokePoster.h WtypeKeystrokePoster.cpp
  CompositorFocus.h
  SwayIpcFocus.h SwayIpcFocus.cpp
  HyprlandIpcFocus.h HyprlandIpcFocus.cpp
  WaylandFrontmostApp.h WaylandFrontmostApp.cpp
  WaylandPermissions.h WaylandPermissions.cpp
  WaylandRegistryProbe.h WaylandRegistryProbe.cpp
  DesktopShortcutSettings.h DesktopShortcutSettings.cpp
  KWinScriptFocus.h KWinScriptFocus.cpp
  CompositorBindings.h CompositorBindings.cpp)
target_link_libraries(quillo_platform_wayland PUBLIC Qt6::Core Qt6::DBus Qt6::Network quillo_platform_x11)
