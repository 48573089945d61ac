# The portable bundle: a .tar.gz holding one folder, a complete program folder
# (the viewer, its script helper and download client, Monsters/, Locations/,
# README.md, LICENSE) that runs wherever it is unpacked, and the progress tool
# beside them. It packs the "bundle" install component
# of Install.cmake, which must be included first.
#
#   cpack -G TGZ            in the build folder, or `make bundle`
#   -> huntmark-viewer-<version>-Linux.tar.gz
#
# The Qt libraries are not bundled: the viewer uses the system's Qt 6
# (Debian: libqt6widgets6, which brings libqt6gui6 with the X11 and JPEG
# plugins, and libqt6core6); the progress tool also needs libqt6keychain1.

set(CPACK_PACKAGE_NAME "huntmark-viewer")
set(CPACK_PACKAGE_VENDOR "The Huntmark Viewer developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_SYSTEM_NAME "Linux")
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")

set(CPACK_GENERATOR "TGZ")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The bundle component alone, laid out at the root of the package folder.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};bundle;/")
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
set(CPACK_STRIP_FILES ON)

# `make package_source`: the sources without build folders or history.
set(CPACK_SOURCE_GENERATOR "TGZ")
set(CPACK_SOURCE_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-source")
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/" "/build-[^/]*/" "\\\\.user$")

include(CPack)
