#!/bin/sh
# The installed viewer under a real X server: the launcher starts it, its
# window appears with its caption and size, it writes Tabs.ini and starts its
# download script in its program folder, and Ctrl+Q ends it with the fetch
# still running.
#   xserver_test.sh CMAKE BUILD_DIR SCREENSHOT FTP_HOST FTP_ACCOUNT
# Runs itself again inside xvfb-run with "--inside PREFIX SCREENSHOT HOST ACCOUNT".
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/packaging_common.sh"

# The window's client area is 930 x 555 pixels; the menu bar comes on top.
ClientWidth=930
ClientHeight=555

inside() {
    prefix=$1
    shot=$2
    host=$3
    account=$4
    folder="$prefix/share/huntmark-viewer"

    "$prefix/bin/huntmark-viewer" </dev/null &
    viewer=$!
    # Whatever happens, the viewer started here does not outlive the test.
    trap 'kill "$viewer" 2>/dev/null || true' EXIT

    note "waiting for the window"
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Huntmark \(Viewer\)$' | head -n 1) ||
        fail "no window captioned 'Huntmark (Viewer)' within 30 s"
    [ -n "$window" ] || fail "no window captioned 'Huntmark (Viewer)'"
    owner=$(xdotool getwindowpid "$window") || fail "the window names no process"
    [ "$owner" = "$viewer" ] || fail "the window belongs to process $owner, not to the viewer $viewer"

    note "its files, right after start"
    [ -f "$folder/Tabs.ini" ] || fail "no Tabs.ini in $folder"
    grep -Eq '^[0-9]+ [0-9]+' "$folder/Tabs.ini" || fail "Tabs.ini holds '$(cat "$folder/Tabs.ini")'"
    # The fake FTP client sleeps on its first download, so the script waits.
    wait_for 10 test -f "$folder/ncftpget.log" || fail "the download script never ran in $folder"
    [ -f "$folder/QV_Data.bat" ] || fail "no QV_Data.bat in $folder while it runs"
    mode=$(stat -c %a "$folder/QV_Data.bat")
    [ "${mode#?}" = "00" ] || fail "QV_Data.bat has mode $mode: it holds the password and must be the owner's alone"
    grep -qx "user $account" "$folder/ncftpget.login" ||
        fail "the script logs in as someone else: $(cat "$folder/ncftpget.login")"
    ! grep -q -e " -p" -e "$(sed -n 's/^pass //p' "$folder/ncftpget.login")" "$folder/ncftpget.log" ||
        fail "the client's command line shows the password: $(cat "$folder/ncftpget.log")"
    grep -q " $host QuestsCleared.txt QuestsCleared.txt\$" "$folder/ncftpget.log" ||
        fail "the script fetches from elsewhere: $(cat "$folder/ncftpget.log")"

    note "its size"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" -eq "$ClientWidth" ] || fail "the window is $WIDTH pixels wide, not $ClientWidth"
    menu=$((HEIGHT - ClientHeight))
    [ "$menu" -ge 15 ] && [ "$menu" -le 40 ] ||
        fail "the window is $HEIGHT pixels high: $ClientHeight plus a menu bar of $menu pixels"

    note "a screenshot"
    import -window root "$shot" || fail "import could not take a screenshot"
    set -- $(identify -format '%w %h %k' "$shot")
    [ "$1x$2" = "1280x1024" ] || fail "the screenshot is $1x$2"
    # An empty screen is one color; the window brings text, frames and icons.
    [ "$3" -ge 16 ] || fail "the screenshot shows only $3 colors"
    import -window "$window" "$shot.window.png" || fail "import could not take the window"
    set -- $(identify -format '%w %h %k' "$shot.window.png")
    [ "$1x$2" = "${WIDTH}x$HEIGHT" ] || fail "the window's picture is $1x$2"
    [ "$3" -ge 16 ] || fail "the window shows only $3 colors"
    rm -f "$shot.window.png"

    note "Ctrl+Q"
    # Without a window manager nothing gives the window the focus.
    xdotool windowfocus --sync "$window" || fail "cannot focus the window"
    press_and_wait_for_exit ctrl+q

    # The fetch in flight went with the viewer: the client stopped in its
    # first download, and the script, which holds the password, is gone.
    [ ! -e "$folder/QV_Data.bat" ] || fail "the download script outlived the viewer"
    left=$(for cwd in /proc/[0-9]*/cwd; do [ "$(readlink "$cwd" 2>/dev/null)" = "$folder" ] && echo "$cwd"; done || true)
    [ -z "$left" ] || fail "processes still work in $folder: $left"
    [ "$(wc -l <"$folder/ncftpget.log")" -eq 1 ] || fail "the script ran $(wc -l <"$folder/ncftpget.log") downloads, not 1"
    note "the viewer ran under X and ended on Ctrl+Q, taking its fetch along"

    note "the keyboard alone, over damaged pictures"
    # Cut short but still closed by an end marker, so they pass for whole
    # files and reach the decoder.
    for picture in "$folder"/Monsters/*.jpg "$folder"/Locations/*.jpg; do
        { head -c 2000 "$picture" && printf '\377\331'; } >"$picture.part" && mv "$picture.part" "$picture"
    done
    errors=$(mktemp -d)
    keyboard_run "$prefix" "$errors/quiet.err" ""
    [ ! -s "$errors/quiet.err" ] || fail "the viewer printed: $(cat "$errors/quiet.err")"
    # The same keys with a developer's logging rules: the decoder's complaint
    # shows that the keys did select a line, and that the rules still work.
    keyboard_run "$prefix" "$errors/verbose.err" "*.warning=true"
    grep -qi jpeg "$errors/verbose.err" ||
        fail "with QT_LOGGING_RULES the damaged pictures went unreported: $(cat "$errors/verbose.err")"
}

# keyboard_run PREFIX STDERR RULES: Tab into the first region's list, walk it
# with Down, End and Home, quit with Ctrl+Q.
keyboard_run() {
    # In a sanitized build, LeakSanitizer's own tracer now and then crashes
    # at the end of these runs on a busy machine; the run above already
    # checks the viewer for leaks.
    asan=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
    if [ -n "$3" ]; then
        ASAN_OPTIONS=$asan QT_LOGGING_RULES=$3 "$1/bin/huntmark-viewer" </dev/null 2>"$2" &
    else
        ASAN_OPTIONS=$asan "$1/bin/huntmark-viewer" </dev/null 2>"$2" &
    fi
    viewer=$!
    trap 'kill "$viewer" 2>/dev/null || true' EXIT
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Huntmark \(Viewer\)$' | head -n 1) ||
        fail "no window within 30 s"
    xdotool windowfocus --sync "$window" || fail "cannot focus the window"
    press_and_wait_for_exit Tab Down Down End Home ctrl+q
}

# press_and_wait_for_exit KEYS...: types the keys into the focused window;
# the last of them must end $viewer. A watchdog ends a viewer that ignores
# them; it then ends with the status of SIGTERM instead of 0.
press_and_wait_for_exit() {
    xdotool key --clearmodifiers "$@"
    (sleep 10; kill "$viewer") >/dev/null 2>&1 &
    watchdog=$!
    status=0
    wait "$viewer" || status=$?
    kill "$watchdog" 2>/dev/null || true
    trap - EXIT
    [ "$status" -ne 143 ] || fail "the viewer still ran 10 s after the keys $*"
    [ "$status" -eq 0 ] || fail "the viewer ended with status $status after the keys $*"
}

if [ "${1:-}" = "--inside" ]; then
    shift
    inside "$@"
    exit 0
fi

cmake=$1
build=$2
shot=$3
host=$4
account=$5
require xvfb-run "xvfb and xauth"
require xauth xauth
require xdotool xdotool
require import imagemagick
require identify imagemagick
make_scratch xserver

note "installing"
prefix="$scratch/prefix"
"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; fail "cmake --install failed"; }
fake_ftp_client "$prefix/share/huntmark-viewer" 5
rm -f "$shot"

note "xvfb-run"
status=0
xvfb-run -a -e "$scratch/xvfb.log" -s "-screen 0 1280x1024x24" \
    sh "$here/$(basename "$0")" --inside "$prefix" "$shot" "$host" "$account" </dev/null || status=$?
if [ "$status" -ne 0 ]; then
    cat "$scratch/xvfb.log" >&2
    fail "the run under the X server failed (status $status)"
fi
[ -s "$shot" ] || fail "no screenshot at $shot"
note "screenshot: $shot"
