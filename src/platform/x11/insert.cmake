if(NOT TARGET PkgConfig::X11)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
endif()
if(NOT TARGET PkgConfig::XTST)
  pkg_check_modules(XTST REQUIRED IMPORTED_TARGET xtst)
endif()
quillo_add_sources(quillo_platform_x11
  X11ErrorTrap.h
  X11KeystrokePoster.h X11KeystrokePoster.cpp
  DesktopEntryIndex.h DesktopEntryIndex.cpp
  X11FrontmostApp.h X11FrontmostApp.cpp
  X11Permissions.h X11Permissions.cpp)
target_link_libraries(quillo_platform_x11 PUBLIC Qt6::Core PkgConfig::X11 PkgConfig::XTST)
