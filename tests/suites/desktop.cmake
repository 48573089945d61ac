# The program as a user gets it: the desktop files, an installed tree, the
# portable bundle, and the installed viewer under a real X server. These need
# the Debian packages xvfb, xauth, xdotool, desktop-file-utils, appstream and
# imagemagick; a missing tool fails its test with a message naming it.
#
# The files under test are written by cmake/Install.cmake and
# cmake/Packaging.cmake into the build folder.

set(huntmarkPackagingDir ${CMAKE_BINARY_DIR}/packaging)

add_test(NAME desktop_files
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/desktop_files_test.sh
    ${huntmarkPackagingDir}/huntmark-viewer.desktop
    ${huntmarkPackagingDir}/org.huntmark.Viewer.metainfo.xml)

add_test(NAME install_layout
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/install_test.sh
    ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${HUNTMARK_PROGRAM_DIR})

add_test(NAME portable_bundle
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/bundle_test.sh
    ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR} ${HUNTMARK_PROGRAM_DIR}
    huntmark-viewer-${PROJECT_VERSION}-Linux)

add_test(NAME xserver_installed_viewer
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/xserver_test.sh
    ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR}
    ${CMAKE_CURRENT_BINARY_DIR}/xserver-screenshot.png
    ${HUNTMARK_FTP_HOST} ${HUNTMARK_FTP_ACCOUNT})

set_tests_properties(desktop_files PROPERTIES TIMEOUT 60 LABELS desktop)
set_tests_properties(install_layout PROPERTIES TIMEOUT 180 LABELS desktop)
set_tests_properties(portable_bundle PROPERTIES TIMEOUT 300 LABELS desktop)
# Two runs of `xvfb-run -a` started at once can pick the same display.
set_tests_properties(xserver_installed_viewer PROPERTIES TIMEOUT 180 LABELS "desktop;xserver"
  RESOURCE_LOCK xvfb-run)

# The Debian package: built by `make deb`, checked by lintian, installed with
# apt and started for two users created for the test, each following a real
# FTP server in a private network. Needs root (CI runs as root) and skips
# otherwise; the sanitized build skips it, as the package is built the same
# either way.
if(NOT HUNTMARK_SANITIZE)
  add_test(NAME debian_package
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/deb_test.sh
      ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${HUNTMARK_FTP_HOST} ${HUNTMARK_FTP_ACCOUNT})
  set_tests_properties(debian_package PROPERTIES TIMEOUT 2400 LABELS desktop SKIP_RETURN_CODE 77)
endif()
# What a screen reader reads, over the accessibility bus (at-spi2-core and
# python3-pyatspi).
add_test(NAME xserver_accessibility
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/xserver_accessibility_test.sh ${HUNTMARK_PROGRAM_DIR})
set_tests_properties(xserver_accessibility PROPERTIES TIMEOUT 300 LABELS "desktop;xserver")
