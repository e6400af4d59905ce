# Desktop portals on the session bus: requests, sessions, host registration.
quillo_add_sources(quillo_platform_portal
  PortalRequest.h PortalRequest.cpp
  PortalShortcut.h PortalShortcut.cpp
  PortalSupport.h
  PortalConnection.h PortalConnection.cpp
  PortalAppearance.h PortalAppearance.cpp
  SystemdAppScope.h SystemdAppScope.cpp
  KGlobalAccelKeys.h KGlobalAccelKeys.cpp)
target_link_libraries(quillo_platform_portal PUBLIC Qt6::Core Qt6::DBus)
