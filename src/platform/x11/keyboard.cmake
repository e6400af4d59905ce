if(NOT TARGET PkgConfig::X11)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
endif()
if(NOT TARGET PkgConfig::XI)
  pkg_check_modules(XI REQUIRED IMPORTED_TARGET xi)
endif()
if(NOT TARGET PkgConfig::XTST)
  pkg_check_modules(XTST REQUIRED IMPORTED_TARGET xtst)
endif()
quillo_add_sources(quillo_platform_x11
  X11KeyMap.h X11KeyMap.cpp
  X11KeyEventTranslator.h X11KeyEventTranslator.cpp
  X11KeyboardSource.h X11KeyboardSource.cpp)
target_link_libraries(quillo_platform_x11 PUBLIC Qt6::Core Qt6::Gui PkgConfig::X11 PkgConfig::XI PkgConfig::XTST)
