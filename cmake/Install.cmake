# Installation.
#
# The viewer reads what came with it from its program folder, the folder of
# its executable, and writes its state (Tabs.ini, the download script, the
# progress files, the history) into its data folder: the program folder when
# the user can write it, otherwise $XDG_DATA_HOME/huntmark-viewer of each user
# (src/platform/folders.h). So there are two layouts:
#
# per user (a prefix in the home folder; by default ~/.local):
#   <prefix>/share/huntmark-viewer/     program folder, also the data folder:
#                                       huntmark-viewer, huntmark-batch,
#                                       ncftpget.exe, Monsters/, Locations/
#   <prefix>/bin/huntmark-viewer        launcher: runs the viewer in its folder
#
# for every user (any other prefix, /usr for the Debian package):
#   <prefix>/libexec/huntmark-viewer/   program folder: huntmark-viewer,
#                                       huntmark-batch, ncftpget.exe, and links
#                                       Monsters, Locations to the pictures
#   <prefix>/share/huntmark-viewer/     Monsters/, Locations/
#   <prefix>/bin/huntmark-viewer        a link to the viewer
#
# and in both
#   <prefix>/bin/huntmark-progress      marks and publishes progress files
#   <prefix>/bin/huntmark-tracker       the followed player's window; finds
#                                       the pictures in the program folder
#   <prefix>/share/man/man1/            the tracker's manual page
#   <prefix>/share/applications/        desktop entry
#   <prefix>/share/icons/hicolor/       icons, 16x16 to 256x256
#   <prefix>/share/metainfo/            AppStream metainfo
#   <prefix>/share/doc/huntmark-viewer/ README.md (and LICENSE per user)
#
# with <prefix> = $HOME/.local unless CMAKE_INSTALL_PREFIX says otherwise.
# Launcher and links lead to the program folder relative to themselves, so
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

# The layout follows the prefix the build is configured for: one in the home
# folder of whoever configures it is theirs alone.
get_filename_component(huntmarkHome "$ENV{HOME}" REALPATH)
get_filename_component(huntmarkPrefix "${CMAKE_INSTALL_PREFIX}" REALPATH)
string(FIND "${huntmarkPrefix}/" "${huntmarkHome}/" huntmarkPrefixInHome)
if(NOT "$ENV{HOME}" STREQUAL "" AND huntmarkPrefixInHome EQUAL 0)
  set(huntmarkDefaultLayout user)
else()
  set(huntmarkDefaultLayout system)
endif()
set(HUNTMARK_INSTALL_LAYOUT "${huntmarkDefaultLayout}" CACHE STRING
    "user: one writable program folder under <prefix>/share; system: for every user of the machine")
set_property(CACHE HUNTMARK_INSTALL_LAYOUT PROPERTY STRINGS user system)
if(NOT HUNTMARK_INSTALL_LAYOUT MATCHES "^(user|system)$")
  message(FATAL_ERROR "HUNTMARK_INSTALL_LAYOUT is user or system, not ${HUNTMARK_INSTALL_LAYOUT}")
endif()

set(HUNTMARK_INSTALL_PICTUREDIR "${CMAKE_INSTALL_DATADIR}/huntmark-viewer")
if(HUNTMARK_INSTALL_LAYOUT STREQUAL "user")
  set(HUNTMARK_INSTALL_PROGRAMDIR "${HUNTMARK_INSTALL_PICTUREDIR}")
else()
  # The place for programs that only other programs run, by the file system
  # hierarchy's rules.
  set(HUNTMARK_INSTALL_PROGRAMDIR "${CMAKE_INSTALL_LIBEXECDIR}/huntmark-viewer")
endif()
set(HUNTMARK_INSTALL_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/huntmark-viewer")
# HUNTMARK_ICON_SIZES and HUNTMARK_ICON_FOLDER come from tools/, which draws the icons.

# huntmark_install_relative_link(LINK TARGET): LINK (a path below the prefix) is made a
# symbolic link to TARGET (also below the prefix), written relative to it.
function(huntmark_install_relative_link link target)
  get_filename_component(linkFolder "/prefix/${link}" DIRECTORY)
  file(RELATIVE_PATH relative "${linkFolder}" "/prefix/${target}")
  install(CODE "
    set(huntmarkLink \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\")
    message(STATUS \"Installing: \${huntmarkLink} -> ${relative}\")
    get_filename_component(huntmarkLinkFolder \"\${huntmarkLink}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${huntmarkLinkFolder}\")
    file(REMOVE \"\${huntmarkLink}\")
    file(CREATE_LINK \"${relative}\" \"\${huntmarkLink}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${huntmarkLink}\")
  " COMPONENT program)
endfunction()

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
endfunction()

# The pictures are drawn at build time into the build's program folder.
function(huntmark_install_pictures destination component)
  install(DIRECTORY "${HUNTMARK_PROGRAM_DIR}/Monsters" "${HUNTMARK_PROGRAM_DIR}/Locations"
    DESTINATION "${destination}" COMPONENT ${component} ${ARGN}
    FILES_MATCHING PATTERN "*.jpg")
endfunction()

huntmark_install_program_folder("${HUNTMARK_INSTALL_PROGRAMDIR}" program)
huntmark_install_pictures("${HUNTMARK_INSTALL_PICTUREDIR}" program)

if(HUNTMARK_INSTALL_LAYOUT STREQUAL "user")
  # --- the launcher: runs the viewer in its folder, which it must be able to write
  if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(huntmarkBinDir "${CMAKE_INSTALL_BINDIR}")
  else()
    set(huntmarkBinDir "/prefix/${CMAKE_INSTALL_BINDIR}")
  endif()
  file(RELATIVE_PATH HUNTMARK_LAUNCHER_TO_PROGRAM "${huntmarkBinDir}" "/prefix/${HUNTMARK_INSTALL_PROGRAMDIR}")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/huntmark-viewer-launcher.sh.in"
    "${CMAKE_BINARY_DIR}/packaging/huntmark-viewer" @ONLY)
  install(PROGRAMS "${CMAKE_BINARY_DIR}/packaging/huntmark-viewer"
    DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT program)
else()
  # The viewer finds its program folder from its own executable, through
  # links as well, and keeps every user's state in that user's data folder.
  foreach(pictures Monsters Locations)
    huntmark_install_relative_link("${HUNTMARK_INSTALL_PROGRAMDIR}/${pictures}"
      "${HUNTMARK_INSTALL_PICTUREDIR}/${pictures}")
  endforeach()
  huntmark_install_relative_link("${CMAKE_INSTALL_BINDIR}/huntmark-viewer"
    "${HUNTMARK_INSTALL_PROGRAMDIR}/huntmark-viewer")
endif()

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
set(huntmarkDesktopPrograms huntmark-viewer huntmark-tracker)
set(huntmarkDesktopScript "${PROJECT_SOURCE_DIR}/cmake/WriteDesktopEntry.cmake")
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${huntmarkDesktopScript}")
foreach(program IN LISTS huntmarkDesktopPrograms)
  set(huntmarkTemplate "${PROJECT_SOURCE_DIR}/packaging/${program}.desktop.in")
  execute_process(COMMAND ${CMAKE_COMMAND}
    "-DLAUNCHER=${CMAKE_INSTALL_FULL_BINDIR}/${program}"
    "-DTEMPLATE=${huntmarkTemplate}"
    "-DOUTPUT=${CMAKE_BINARY_DIR}/packaging/${program}.desktop"
    -P "${huntmarkDesktopScript}"
    COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    "${huntmarkTemplate}")
endforeach()

# At install time: one scratch folder per destination, so that installs to
# different places at the same time do not overwrite each other's entries.
install(CODE "
  if(IS_ABSOLUTE \"${CMAKE_INSTALL_BINDIR}\")
    set(huntmarkBinDir \"${CMAKE_INSTALL_BINDIR}\")
  else()
    set(huntmarkBinDir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  endif()
  string(MD5 huntmarkScratch \"\$ENV{DESTDIR}|\${huntmarkBinDir}/huntmark-viewer\")
  set(huntmarkScratch \"${CMAKE_BINARY_DIR}/packaging/installed-\${huntmarkScratch}\")
  set(huntmarkEntries)
  foreach(program IN ITEMS ${huntmarkDesktopPrograms})
    execute_process(COMMAND \"${CMAKE_COMMAND}\"
      \"-DLAUNCHER=\${huntmarkBinDir}/\${program}\"
      \"-DTEMPLATE=${PROJECT_SOURCE_DIR}/packaging/\${program}.desktop.in\"
      \"-DOUTPUT=\${huntmarkScratch}/\${program}.desktop\"
      -P \"${huntmarkDesktopScript}\"
      COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND huntmarkEntries \"\${huntmarkScratch}/\${program}.desktop\")
  endforeach()
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
    TYPE FILE FILES \${huntmarkEntries})
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

install(FILES "${PROJECT_SOURCE_DIR}/README.md"
  DESTINATION "${HUNTMARK_INSTALL_DOCDIR}" COMPONENT program)
# A system's packages say their licences in their own way (Debian:
# debian/copyright).
if(HUNTMARK_INSTALL_LAYOUT STREQUAL "user")
  install(FILES "${PROJECT_SOURCE_DIR}/LICENSE"
    DESTINATION "${HUNTMARK_INSTALL_DOCDIR}" COMPONENT program)
endif()

# --- the portable bundle -------------------------------------------------------

huntmark_install_program_folder(. bundle EXCLUDE_FROM_ALL)
huntmark_install_pictures(. bundle EXCLUDE_FROM_ALL)
install(TARGETS huntmark-progress huntmark-tracker RUNTIME DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE"
  DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
