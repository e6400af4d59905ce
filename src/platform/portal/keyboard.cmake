quillo_add_sources(quillo_platform_portal
  XdgShortcutTrigger.h XdgShortcutTrigger.cpp
  PortalGlobalShortcuts.h PortalGlobalShortcuts.cpp)
