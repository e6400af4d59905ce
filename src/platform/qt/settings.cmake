quillo_add_sources(quillo_platform_qt
  QSettingsDefaultsStore.h QSettingsDefaultsStore.cpp
  QtKeychainCredentialStore.h QtKeychainCredentialStore.cpp
  SecretServiceLockProbe.h SecretServiceLockProbe.cpp
  XdgAutostartLoginItem.h XdgAutostartLoginItem.cpp)
if(NOT TARGET Qt6Keychain::Qt6Keychain)
  find_package(Qt6Keychain REQUIRED)
endif()
target_link_libraries(quillo_platform_qt PUBLIC Qt6::Core PRIVATE Qt6Keychain::Qt6Keychain Qt6::DBus)
