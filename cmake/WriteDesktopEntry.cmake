# Writes the desktop entry for a launcher at LAUNCHER into OUTPUT, from TEMPLATE:
#   cmake -DLAUNCHER=... -DTEMPLATE=... -DOUTPUT=... -P WriteDesktopEntry.cmake
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
