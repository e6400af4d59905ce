quillo_add_sources(quillo_platform_portal
  PortalRemoteDesktop.h PortalRemoteDesktop.cpp
  PortalClipboard.h PortalClipboard.cpp)
