#!/bin/sh
# The desktop entry and the AppStream metainfo pass Debian's validators and
# point at each other.
#   desktop_files_test.sh DESKTOP_ENTRY METAINFO
set -eu
. "$(dirname "$0")/packaging_common.sh"

desktop=$1
metainfo=$2
require desktop-file-validate desktop-file-utils
require appstreamcli appstream

[ -f "$desktop" ] || fail "no desktop entry at $desktop"
[ -f "$metainfo" ] || fail "no metainfo at $metainfo"

note "desktop-file-validate $desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
# It reports hints and warnings without failing; a clean entry has none.
[ -z "$report" ] || fail "desktop-file-validate: $report"

note "appstreamcli validate --no-net --strict $metainfo"
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli rejects $metainfo"

# The metainfo file is named after its component id and launches this entry.
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$metainfo does not carry the id $id in its name"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ "$launchable" = "$(basename "$desktop")" ] ||
    fail "the metainfo launches '$launchable', the desktop entry is $(basename "$desktop")"

# The entry runs the launcher, which the window's desktop file name and
# WM_CLASS (huntmark-viewer) connect back to this entry.
grep -qx 'Exec="[^"]*/bin/huntmark-viewer"' "$desktop" || fail "the entry does not start the launcher: $(grep '^Exec=' "$desktop")"
grep -qx 'StartupWMClass=huntmark-viewer' "$desktop" || fail "the entry does not claim the viewer's window"
note "desktop files are valid"
