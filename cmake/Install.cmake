# Installation.
#
# The viewer writes into its own folder (Tabs.ini, the download script and the
# progress files it fetches), so its program folder must be writable by the
# user who runs it. By default everything therefore goes into the user's own
# data folders, the layout of ~/.local:
#
#   <prefix>/share/huntmark-viewer/     program folder: huntmark-viewer,
#                                       huntmark-batch, ncftpget.exe,
#                                       Monsters/, Locations/
#   <prefix>/bin/huntmark-viewer        launcher: runs the viewer in its folder
#   <prefix>/bin/huntmark-progress      marks and publishes progress files
#   <prefix>/bin/huntmark-tracker       the followed player's window; finds
#                                       the pictures in the program folder
#   <prefix>/share/man/man1/            the tracker's manual page
#   <prefix>/share/applications/        desktop entry
#   <prefix>/share/icons/hicolor/       icons, 16x16 to 256x256
#   <prefix>/share/metainfo/            AppStream metainfo
#   <prefix>/share/doc/huntmark-viewer/ README.md, LICENSE
#
# with <prefix> = $HOME/.local unless CMAKE_INSTALL_PREFIX says otherwise.
# The launcher finds the program folder relative to itself, so
# `cmake --install --prefix` and DESTDIR staging both work.
#
# A second, separate set of rules (component "bundle", never part of a plain
# install) lays out the program folder alone at the root of the install tree;
# CPack packs that as the portable bundle (see Packaging.cmake).

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND NOT "$ENV{HOME}" STREQUAL "")
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH
      "Install prefix: the program folder goes to <prefix>/share/huntmark-viewer" FORCE)
endif()

include(GNUInstallDirs)

set(HUNTMARK_INSTALL_PROGRAMDIR "${CMAKE_INSTALL_DATADIR}/huntmark-viewer" CACHE STRING
    "Program folder (viewer, script helper, download client, pictures), relative to the install prefix")
set(HUNTMARK_INSTALL_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/huntmark-viewer")
# HUNTMARK_ICON_SIZES and HUNTMARK_ICON_FOLDER come from tools/, which draws the icons.

# A folder under the prefix may not be writable for the users who start the
# viewer: a system prefix needs root to install, and then nobody else can
# write the program folder. The launcher refuses to start there and says why.
get_filename_component(huntmarkHome "$ENV{HOME}" REALPATH)
get_filename_component(huntmarkPrefix "${CMAKE_INSTALL_PREFIX}" REALPATH)
string(FIND "${huntmarkPrefix}/" "${huntmarkHome}/" huntmarkPrefixInHome)
if("$ENV{HOME}" STREQUAL "" OR NOT huntmarkPrefixInHome EQUAL 0)
  message(WARNING
    "Installing to ${CMAKE_INSTALL_PREFIX}, outside your home folder. The viewer "
    "writes its settings and the downloaded progress files into its program folder "
    "${CMAKE_INSTALL_PREFIX}/${HUNTMARK_INSTALL_PROGRAMDIR}, which other users cannot "
    "write: for them the launcher refuses to start. Install per user instead "
    "(the default prefix is ~/.local) or use the portable bundle (make bundle).")
endif()

# --- the program folder ------------------------------------------------------

# Everything the viewer needs in its folder, installed to `destination`.
function(huntmark_install_program_folder destination component)
  set(extra ${ARGN})
  install(TARGETS huntmark-viewer huntmark-batch
    RUNTIME DESTINATION "${destination}" COMPONENT ${component} ${extra})
  # The download client the script finds first, where there is one of ours.
  if(TARGET huntmark-ftpclient)
    install(TARGETS huntmark-ftpclient
      RUNTIME DESTINATION "${destination}" COMPONENT ${component} ${extra})
  endif()
  # The pictures are drawn at build time into the build's program folder.
  install(DIRECTORY "${HUNTMARK_PROGRAM_DIR}/Monsters" "${HUNTMARK_PROGRAM_DIR}/Locations"
    DESTINATION "${destination}" COMPONENT ${component} ${extra}
    FILES_MATCHING PATTERN "*.jpg")
endfunction()

# A program folder that the Debian package's launcher made for this user
# holds links into the package's read-only folders, and installing through
# them would write there. The per-user install takes such a folder over: the
# links and the launcher's mark go; the settings and progress files stay.
install(CODE "
  set(huntmarkFolder \"${HUNTMARK_INSTALL_PROGRAMDIR}\")
  if(NOT IS_ABSOLUTE \"\${huntmarkFolder}\")
    set(huntmarkFolder \"\${CMAKE_INSTALL_PREFIX}/\${huntmarkFolder}\")
  endif()
  set(huntmarkFolder \"\$ENV{DESTDIR}\${huntmarkFolder}\")
  if(EXISTS \"\${huntmarkFolder}/.huntmark-package\")
    foreach(piece huntmark-batch ncftpget.exe Monsters Locations)
      if(IS_SYMLINK \"\${huntmarkFolder}/\${piece}\")
        file(REMOVE \"\${huntmarkFolder}/\${piece}\")
      endif()
    endforeach()
    file(REMOVE \"\${huntmarkFolder}/.huntmark-package\")
  endif()
" COMPONENT program)
huntmark_install_program_folder("${HUNTMARK_INSTALL_PROGRAMDIR}" program)

# --- the launcher --------------------------------------------------------------

if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  set(huntmarkBinDir "${CMAKE_INSTALL_BINDIR}")
else()
  set(huntmarkBinDir "/prefix/${CMAKE_INSTALL_BINDIR}")
endif()
if(IS_ABSOLUTE "${HUNTMARK_INSTALL_PROGRAMDIR}")
  set(huntmarkProgramDir "${HUNTMARK_INSTALL_PROGRAMDIR}")
else()
  set(huntmarkProgramDir "/prefix/${HUNTMARK_INSTALL_PROGRAMDIR}")
endif()
file(RELATIVE_PATH HUNTMARK_LAUNCHER_TO_PROGRAM "${huntmarkBinDir}" "${huntmarkProgramDir}")
configure_file("${PROJECT_SOURCE_DIR}/packaging/huntmark-viewer-launcher.sh.in"
  "${CMAKE_BINARY_DIR}/packaging/huntmark-viewer" @ONLY)
install(PROGRAMS "${CMAKE_BINARY_DIR}/packaging/huntmark-viewer"
  DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT program)

# The progress tool works on the files of whatever folder it is run in, so it
# needs no program folder and goes straight onto the search path.
install(TARGETS huntmark-progress
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT program)
# So does the tracker: its files lie in its own data folder, and it takes the
# pictures from the program folder beside (../share/huntmark-viewer).
install(TARGETS huntmark-tracker
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT program)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/huntmark-tracker.1"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT program)

# --- desktop integration -------------------------------------------------------

# The desktop entry starts the launcher by its absolute path: a desktop session
# does not always have ~/.local/bin on its search path. That path is known
# only when installing (`cmake --install --prefix` may change the prefix), so
# the entry is written then. A copy for the configured prefix is written now,
# for the validator tests and for a look.
set(huntmarkDesktopTemplate "${PROJECT_SOURCE_DIR}/packaging/huntmark-viewer.desktop.in")
set(huntmarkTrackerDesktopTemplate "${PROJECT_SOURCE_DIR}/packaging/huntmark-tracker.desktop.in")
set(huntmarkDesktopScript "${CMAKE_BINARY_DIR}/packaging/write-desktop-entry.cmake")
file(WRITE "${huntmarkDesktopScript}" [=[
# Writes the desktop entry for a launcher at LAUNCHER into OUTPUT.
# Within a quoted Exec argument ", `, $ and \ are escaped with a backslash, a
# literal % is doubled, and the whole value then escapes \ once more.
string(REPLACE "\\" "\\\\" quoted "${LAUNCHER}")
foreach(special "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" quoted "${quoted}")
endforeach()
string(REPLACE "%" "%%" quoted "${quoted}")
set(HUNTMARK_DESKTOP_EXEC "\"${quoted}\"")
string(REPLACE "\\" "\\\\" HUNTMARK_DESKTOP_EXEC "${HUNTMARK_DESKTOP_EXEC}")
string(REPLACE "\\" "\\\\" HUNTMARK_DESKTOP_TRYEXEC "${LAUNCHER}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
]=])

set(HUNTMARK_DESKTOP_FILE "${CMAKE_BINARY_DIR}/packaging/huntmark-viewer.desktop")
execute_process(COMMAND ${CMAKE_COMMAND}
  "-DLAUNCHER=${CMAKE_INSTALL_FULL_BINDIR}/huntmark-viewer"
  "-DTEMPLATE=${huntmarkDesktopTemplate}"
  "-DOUTPUT=${HUNTMARK_DESKTOP_FILE}"
  -P "${huntmarkDesktopScript}"
  COMMAND_ERROR_IS_FATAL ANY)
set(HUNTMARK_TRACKER_DESKTOP_FILE "${CMAKE_BINARY_DIR}/packaging/huntmark-tracker.desktop")
execute_process(COMMAND ${CMAKE_COMMAND}
  "-DLAUNCHER=${CMAKE_INSTALL_FULL_BINDIR}/huntmark-tracker"
  "-DTEMPLATE=${huntmarkTrackerDesktopTemplate}"
  "-DOUTPUT=${HUNTMARK_TRACKER_DESKTOP_FILE}"
  -P "${huntmarkDesktopScript}"
  COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${huntmarkDesktopTemplate}" "${huntmarkTrackerDesktopTemplate}")

# At install time: one scratch file per destination, so that installs to
# different places at the same time do not overwrite each other's entry.
install(CODE "
  if(IS_ABSOLUTE \"${CMAKE_INSTALL_BINDIR}\")
    set(huntmarkLauncher \"${CMAKE_INSTALL_BINDIR}/huntmark-viewer\")
    set(huntmarkTracker \"${CMAKE_INSTALL_BINDIR}/huntmark-tracker\")
  else()
    set(huntmarkLauncher \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/huntmark-viewer\")
    set(huntmarkTracker \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/huntmark-tracker\")
  endif()
  string(MD5 huntmarkScratch \"\$ENV{DESTDIR}|\${huntmarkLauncher}\")
  set(huntmarkScratch \"${CMAKE_BINARY_DIR}/packaging/installed-\${huntmarkScratch}\")
  execute_process(COMMAND \"${CMAKE_COMMAND}\"
    \"-DLAUNCHER=\${huntmarkLauncher}\"
    \"-DTEMPLATE=${huntmarkDesktopTemplate}\"
    \"-DOUTPUT=\${huntmarkScratch}/huntmark-viewer.desktop\"
    -P \"${huntmarkDesktopScript}\"
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND \"${CMAKE_COMMAND}\"
    \"-DLAUNCHER=\${huntmarkTracker}\"
    \"-DTEMPLATE=${huntmarkTrackerDesktopTemplate}\"
    \"-DOUTPUT=\${huntmarkScratch}/huntmark-tracker.desktop\"
    -P \"${huntmarkDesktopScript}\"
    COMMAND_ERROR_IS_FATAL ANY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
    TYPE FILE FILES \"\${huntmarkScratch}/huntmark-viewer.desktop\"
    \"\${huntmarkScratch}/huntmark-tracker.desktop\")
  file(REMOVE_RECURSE \"\${huntmarkScratch}\")
" COMPONENT program)

set(HUNTMARK_METAINFO_FILE "${CMAKE_BINARY_DIR}/packaging/org.huntmark.Viewer.metainfo.xml")
configure_file("${PROJECT_SOURCE_DIR}/packaging/org.huntmark.Viewer.metainfo.xml.in"
  "${HUNTMARK_METAINFO_FILE}" @ONLY)
install(FILES "${HUNTMARK_METAINFO_FILE}"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo" COMPONENT program)

# The icons are drawn at build time by tools/makeicon.
foreach(size IN LISTS HUNTMARK_ICON_SIZES)
  install(FILES "${HUNTMARK_ICON_FOLDER}/${size}x${size}/huntmark-viewer.png"
    "${HUNTMARK_ICON_FOLDER}/${size}x${size}/huntmark-tracker.png"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
    COMPONENT program)
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE"
  DESTINATION "${HUNTMARK_INSTALL_DOCDIR}" COMPONENT program)

# --- the portable bundle -------------------------------------------------------

huntmark_install_program_folder(. bundle EXCLUDE_FROM_ALL)
install(TARGETS huntmark-progress huntmark-tracker RUNTIME DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE"
  DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
