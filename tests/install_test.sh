#!/bin/sh
# `cmake --install` lays out a complete, working installation: the program
# folder, the launcher, the progress tool, the desktop entry, the icons and
# the metainfo. The
# launcher runs the viewer in its folder from anywhere and refuses a folder
# it cannot write. A DESTDIR staging install names the final places.
#   install_test.sh CMAKE BUILD_DIR BUILD_PROGRAM_DIR
set -eu
. "$(dirname "$0")/packaging_common.sh"

cmake=$1
build=$2
built=$3
require desktop-file-validate desktop-file-utils
require appstreamcli appstream
require readelf binutils
make_scratch install

# png_size FILE: "WIDTHxHEIGHT" from the PNG header.
png_size() {
    [ "$(od -An -c -j1 -N3 "$1" | tr -d ' ')" = "PNG" ] || { echo "not-a-png"; return; }
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}

# check_layout ROOT PREFIX: the tree installed for PREFIX, found under ROOT.
check_layout() {
    root=$1
    prefix=$2
    folder="$root/share/huntmark-viewer"
    check_program_folder "$folder" "$built"
    check_no_build_paths "$folder/huntmark-viewer" "$folder/huntmark-batch" "$folder/ncftpget.exe"

    check_no_build_paths "$root/bin/huntmark-progress"

    launcher="$root/bin/huntmark-viewer"
    [ -f "$launcher" ] && [ -x "$launcher" ] || fail "no launcher at $launcher"
    head -n 1 "$launcher" | grep -qx '#!/bin/sh' || fail "$launcher is not a shell script"

    entry="$root/share/applications/huntmark-viewer.desktop"
    [ -f "$entry" ] || fail "no desktop entry at $entry"
    report=$(desktop-file-validate "$entry" 2>&1) && [ -z "$report" ] || fail "desktop-file-validate: $report"
    grep -qx "Exec=\"$prefix/bin/huntmark-viewer\"" "$entry" ||
        fail "the entry does not start $prefix/bin/huntmark-viewer: $(grep '^Exec=' "$entry")"

    icon=$(sed -n 's/^Icon=//p' "$entry")
    for size in 16 32 48 64 128 256; do
        file="$root/share/icons/hicolor/${size}x${size}/apps/$icon.png"
        [ -f "$file" ] || fail "no ${size}x${size} icon at $file"
        [ "$(png_size "$file")" = "${size}x${size}" ] || fail "$file is $(png_size "$file"), not ${size}x${size}"
    done

    tracker="$root/share/applications/huntmark-tracker.desktop"
    report=$(desktop-file-validate "$tracker" 2>&1) && [ -z "$report" ] || fail "desktop-file-validate: $report"
    grep -qx "Exec=\"$prefix/bin/huntmark-tracker\"" "$tracker" ||
        fail "the entry does not start $prefix/bin/huntmark-tracker: $(grep '^Exec=' "$tracker")"
    check_no_build_paths "$root/bin/huntmark-tracker"
    [ -f "$root/share/icons/hicolor/256x256/apps/huntmark-tracker.png" ] || fail "no icon for the tracker"
    [ -s "$root/share/man/man1/huntmark-tracker.1" ] || fail "no manual page for the tracker"

    metainfo="$root/share/metainfo/org.huntmark.Viewer.metainfo.xml"
    [ -f "$metainfo" ] || fail "no metainfo at $metainfo"
    appstreamcli validate --no-net --strict "$metainfo" >/dev/null || fail "appstreamcli rejects $metainfo"

    for doc in README.md LICENSE; do
        [ -s "$root/share/doc/huntmark-viewer/$doc" ] || fail "no $doc in $root/share/doc/huntmark-viewer"
    done
}

note "install to a prefix"
prefix="$scratch/home/.local"
"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; fail "cmake --install failed"; }
check_layout "$prefix" "$prefix"
folder="$prefix/share/huntmark-viewer"

note "the launcher runs the viewer in its program folder"
run_offscreen "$folder" "$prefix/bin/huntmark-viewer"

note "the progress tool is on the search path beside the launcher"
(PATH="$prefix/bin:$PATH" && export PATH && check_progress_tool huntmark-progress)

note "a link to the launcher from elsewhere works too"
mkdir "$scratch/bin"
ln -s "$prefix/bin/huntmark-viewer" "$scratch/bin/huntmark-viewer"
run_offscreen "$folder" "$scratch/bin/huntmark-viewer"

note "the launcher refuses a program folder it cannot write"
if [ "$(id -u)" -eq 0 ]; then
    # root writes anywhere: another user meets the folder as root installed it.
    refuse() { setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env "$@"; }
else
    chmod a-w "$folder"
    cleanup_hook() { chmod u+w "$folder" 2>/dev/null || true; }
    refuse() { "$@"; }
fi
status=0
message=$(cd / && refuse timeout 5 env QT_QPA_PLATFORM=offscreen "$prefix/bin/huntmark-viewer" 2>&1 </dev/null) || status=$?
[ "$status" -eq 1 ] || fail "the launcher ended with status $status for a read-only folder, not 1: $message"
echo "$message" | grep -q "cannot write to the program folder" || fail "the launcher did not say why: $message"
echo "$message" | grep -q "make install" || fail "the launcher did not say what to do: $message"
[ ! -e "$folder/Tabs.ini" ] || fail "the viewer started in a folder it cannot write"
[ "$(id -u)" -eq 0 ] || chmod u+w "$folder"

note "a staged install (DESTDIR) names the final places"
final=/home/huntmark-install-test/.local
DESTDIR="$scratch/stage" "$cmake" --install "$build" --prefix "$final" >"$scratch/stage.log" 2>&1 ||
    { cat "$scratch/stage.log"; fail "cmake --install with DESTDIR failed"; }
[ ! -e "$final" ] || fail "the staged install wrote to $final"
check_layout "$scratch/stage$final" "$final"
run_offscreen "$scratch/stage$final/share/huntmark-viewer" "$scratch/stage$final/bin/huntmark-viewer"

note "installation complete and working"
