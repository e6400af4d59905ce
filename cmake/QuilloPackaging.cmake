# `make package`: a Debian package built by CPack from the install rules, plus the
# copyright file, changelog and manual page a Debian package carries. Those belong to
# the package only, so they sit in their own component that a plain install leaves out.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VENDOR nolt)
set(CPACK_PACKAGE_CONTACT "Quillo developers <quillo@nolt.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice input at the cursor")
set(CPACK_PACKAGE_DESCRIPTION
  "Hold a global hotkey, speak and release: a moment later clean written text\n"
  "appears at the cursor of whatever application has the focus. Speech is\n"
  "transcribed by a cloud realtime speech-recognition service (DashScope Qwen),\n"
  "optionally polished or translated by a chat model, and pasted with the\n"
  "clipboard put back afterwards. Quillo lives in the system tray.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links are found by dpkg-shlibdeps. What it loads at run time
# without linking, or runs, is named here; packaging/dependencies.md says why each one is a
# Depends, a Recommends or a Suggests. scripts/check-package installs the package into a bare
# Debian with and without recommends and runs it there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsecret-1-0, qt6-wayland, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, gnome-keyring | kwalletmanager | keepassxc, wl-clipboard")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator, wtype, fcitx5")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(_doc ${CMAKE_CURRENT_BINARY_DIR}/packaging)
string(TIMESTAMP QUILLO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${_doc}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/quillo.1 ${_doc}/quillo.1 @ONLY)
# gzip -n: no name or time stamp, so the same sources give the same package.
foreach(_file changelog quillo.1)
  add_custom_command(OUTPUT ${_doc}/${_file}.gz
    COMMAND gzip -9nc ${_doc}/${_file} > ${_doc}/${_file}.gz
    DEPENDS ${_doc}/${_file})
endforeach()
add_custom_target(quillo_package_docs ALL DEPENDS ${_doc}/changelog.gz ${_doc}/quillo.1.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_doc}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${_doc}/quillo.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT debian EXCLUDE_FROM_ALL)
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};fcitx5;/")

include(CPack)
