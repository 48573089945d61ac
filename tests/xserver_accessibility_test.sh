#!/bin/sh
# The viewer as a screen reader meets it: started under a real X server on a
# private session bus with the accessibility bus, its tree is read and driven
# through AT-SPI by accessibility_check.py.
#   xserver_accessibility_test.sh PROGRAM_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/packaging_common.sh"

# Region tab 3 and quest tab 4 are selected at start; the first monster of
# that region is marked defeated.
Region=3
Group=4

program=$1
require Xvfb xvfb
require xdpyinfo x11-utils
require dbus-run-session dbus-daemon
[ -x /usr/libexec/at-spi-bus-launcher ] || fail "no accessibility bus: install the Debian package at-spi2-core"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "no pyatspi: install the Debian package python3-pyatspi"
make_scratch accessibility

note "a program folder of its own"
folder="$scratch/viewer"
mkdir "$folder"
cp -R "$program/huntmark-viewer" "$program/huntmark-batch" "$program/huntmark-progress" \
    "$program/Monsters" "$program/Locations" "$folder/"
# Downloads end at once and bring nothing new: the local files stay.
fake_ftp_client "$folder" 0
"$folder/huntmark-progress" --folder "$folder" init >/dev/null
printf '%s %s\r\n' "$Region" "$Group" >"$folder/Tabs.ini"
region=$("$folder/huntmark-progress" --folder "$folder" show | sed -n "$((Region + 2))s/^  \(.*[^ ]\)  *[0-9]*\/[0-9]*\$/\1/p")
first=$("$folder/huntmark-progress" --folder "$folder" show "$region" | sed -n '2s/^\[ \] //p')
[ -n "$first" ] || fail "the progress tool lists no entries of region $Region"
"$folder/huntmark-progress" --folder "$folder" mark "$first" >/dev/null

note "an X server and a private session bus"
# Xvfb picks a free display itself: two runs of xvfb-run -a at once can pick
# the same one, and the accessibility bus is announced on the display. The
# bus library opens the display and closes it again when the check starts;
# a server that resets when its last client leaves refuses the viewer that
# connects during the reset.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
cleanup_hook() { kill "$xvfb" 2>/dev/null || true; }
wait_for 30 test -s "$scratch/display" || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
display=:$(cat "$scratch/display")
wait_for 30 xdpyinfo -display "$display" >/dev/null 2>&1 || fail "Xvfb on $display does not answer: $(cat "$scratch/xvfb.log")"
DISPLAY=$display dbus-run-session -- /usr/bin/python3 "$here/accessibility_check.py" "$folder" "$Region" "$Group" </dev/null 2>"$scratch/err" ||
    { grep -v 'fd limit\|Activating service\|Successfully activated\|SpiRegistry daemon' "$scratch/err" >&2; fail "the accessibility check failed"; }
