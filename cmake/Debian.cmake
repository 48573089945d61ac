# The Debian package (`make deb`, see packaging/make-deb.sh).
#
# A package installs once for every user of the machine, into folders only
# root can write, while the viewer writes into its own program folder. So the
# package lays out Debian's folders and its launcher gives every user a
# program folder of their own on first start:
#
#   /usr/lib/huntmark-viewer/        huntmark-viewer, huntmark-batch, ncftpget.exe
#   /usr/share/huntmark-viewer/      Monsters/, Locations/
#   /usr/bin/huntmark-viewer         launcher: makes and refreshes the user's
#                                    program folder, then runs the viewer there
#   /usr/bin/huntmark-progress       the progress tool
#   /usr/share/applications/, icons/hicolor/, metainfo/, man/man1/,
#   doc/huntmark-viewer/             desktop entry, icons, metainfo, manual
#                                    pages, README, copyright and changelog
#
# These rules form the install component "debian", never part of a plain
# install; make-deb.sh installs it with the prefix /usr into a staging folder.
# The launcher finds the package's folders relative to itself, so a package
# unpacked anywhere (`dpkg -x`) works as well.

set(HUNTMARK_DEB_LIBDIR "lib/huntmark-viewer")
set(HUNTMARK_DEB_DATADIR "share/huntmark-viewer")

function(huntmark_deb_install kind)
  install(${kind} ${ARGN} COMPONENT debian EXCLUDE_FROM_ALL)
endfunction()

set(huntmarkDebTargets huntmark-viewer huntmark-batch)
if(TARGET huntmark-ftpclient)
  list(APPEND huntmarkDebTargets huntmark-ftpclient)
endif()
huntmark_deb_install(TARGETS ${huntmarkDebTargets} RUNTIME DESTINATION "${HUNTMARK_DEB_LIBDIR}")
huntmark_deb_install(TARGETS huntmark-progress RUNTIME DESTINATION bin)
install(DIRECTORY "${HUNTMARK_PROGRAM_DIR}/Monsters" "${HUNTMARK_PROGRAM_DIR}/Locations"
  DESTINATION "${HUNTMARK_DEB_DATADIR}" COMPONENT debian EXCLUDE_FROM_ALL
  FILES_MATCHING PATTERN "*.jpg")

set(HUNTMARK_LAUNCHER_TO_LIB "../${HUNTMARK_DEB_LIBDIR}")
set(HUNTMARK_LAUNCHER_TO_PICTURES "../${HUNTMARK_DEB_DATADIR}")
configure_file("${PROJECT_SOURCE_DIR}/packaging/huntmark-viewer-package-launcher.sh.in"
  "${CMAKE_BINARY_DIR}/packaging/debian/huntmark-viewer" @ONLY)
huntmark_deb_install(PROGRAMS "${CMAKE_BINARY_DIR}/packaging/debian/huntmark-viewer" DESTINATION bin)

# The package always installs to /usr, so its desktop entry is written now.
execute_process(COMMAND ${CMAKE_COMMAND}
  "-DLAUNCHER=/usr/bin/huntmark-viewer"
  "-DTEMPLATE=${huntmarkDesktopTemplate}"
  "-DOUTPUT=${CMAKE_BINARY_DIR}/packaging/debian/huntmark-viewer.desktop"
  -P "${huntmarkDesktopScript}"
  COMMAND_ERROR_IS_FATAL ANY)
huntmark_deb_install(FILES "${CMAKE_BINARY_DIR}/packaging/debian/huntmark-viewer.desktop"
  DESTINATION share/applications)
huntmark_deb_install(FILES "${HUNTMARK_METAINFO_FILE}" DESTINATION share/metainfo)
foreach(size IN LISTS HUNTMARK_ICON_SIZES)
  huntmark_deb_install(FILES "${HUNTMARK_ICON_FOLDER}/${size}x${size}/huntmark-viewer.png"
    DESTINATION "share/icons/hicolor/${size}x${size}/apps")
endforeach()
# make-deb.sh compresses the manual pages and the changelog, as Debian wants.
huntmark_deb_install(FILES "${PROJECT_SOURCE_DIR}/packaging/debian/huntmark-viewer.1"
  "${PROJECT_SOURCE_DIR}/packaging/debian/huntmark-progress.1" DESTINATION share/man/man1)
huntmark_deb_install(FILES "${PROJECT_SOURCE_DIR}/README.md"
  "${PROJECT_SOURCE_DIR}/packaging/debian/copyright"
  "${PROJECT_SOURCE_DIR}/packaging/debian/changelog"
  DESTINATION share/doc/huntmark-viewer)
