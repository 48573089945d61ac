#!/bin/sh
# The Debian package: its metadata and file list, lintian's verdict, and the
# unpacked package under a real X server, where every HOME gets a program
# folder of its own on first start, refreshed at the next start without
# losing the user's files, and a per-user install can take the folder over.
#   deb_test.sh SOURCE_DIR BUILD_DIR CMAKE
# Runs itself again inside xvfb-run with "--inside ROOT SCRATCH BUILD CMAKE".
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/packaging_common.sh"

# start_viewer HOME [VARIABLE=VALUE...]: runs the unpacked launcher for a
# user whose home is HOME and waits for the viewer's window; $viewer is its
# process (the launcher becomes the viewer).
start_viewer() {
    home=$1
    shift
    mkdir -p "$home"
    env "$@" HOME="$home" PATH="$scratch/fakebin:$PATH" "$root/usr/bin/huntmark-viewer" </dev/null &
    viewer=$!
    trap 'kill "$viewer" 2>/dev/null || true' EXIT
    timeout 30 xdotool search --all --sync --onlyvisible --pid "$viewer" --name '^Huntmark \(Viewer\)$' >/dev/null ||
        fail "no window of the viewer for HOME=$home within 30 s"
}

stop_viewer() {
    kill "$viewer"
    status=0
    wait "$viewer" || status=$?
    trap - EXIT
    [ "$status" -eq 0 ] || fail "the viewer ended with status $status when asked to quit"
}

# fetches_in FOLDER COUNT: the fake FTP client was called from FOLDER at least
# COUNT times (the script fetches two files each time).
fetches_in() {
    [ "$(grep -c "^$1 " "$scratch/ncftpget.log" 2>/dev/null)" -ge "$2" ]
}

# check_user_folder FOLDER: the pieces the launcher put there lead to the
# package's files; the viewer is a copy of the package's.
check_user_folder() {
    [ -f "$1/huntmark-viewer" ] && [ ! -L "$1/huntmark-viewer" ] || fail "the viewer in $1 is no copy"
    cmp -s "$1/huntmark-viewer" "$root/usr/lib/huntmark-viewer/huntmark-viewer" || fail "$1/huntmark-viewer is not the package's"
    for piece in huntmark-batch ncftpget.exe; do
        [ "$(readlink "$1/$piece")" = "$root/usr/lib/huntmark-viewer/$piece" ] || fail "$1/$piece leads to '$(readlink "$1/$piece")'"
    done
    for piece in Monsters Locations; do
        [ "$(readlink "$1/$piece")" = "$root/usr/share/huntmark-viewer/$piece" ] || fail "$1/$piece leads to '$(readlink "$1/$piece")'"
    done
}

# check_owned_by_install FOLDER: a per-user install's folder, with nothing
# in it that leads into the package's folders (an install through such a
# link writes there) and without the launcher's mark.
check_owned_by_install() {
    [ ! -e "$1/.huntmark-package" ] || fail "$1 still carries the package launcher's mark"
    for piece in huntmark-batch ncftpget.exe Monsters Locations; do
        [ ! -L "$1/$piece" ] || fail "$1/$piece still leads to $(readlink "$1/$piece")"
    done
}

inside() {
    root=$1
    scratch=$2
    build=$3
    cmake=$4
    served=$(printf '1%0156d' 0)

    note "first start: the program folder appears, Tabs.ini is written and the first fetch runs there"
    folderA="$scratch/alice/.local/share/huntmark-viewer"
    start_viewer "$scratch/alice" -u XDG_DATA_HOME
    check_user_folder "$folderA"
    wait_for 10 test -f "$folderA/Tabs.ini" || fail "no Tabs.ini in $folderA"
    wait_for 20 fetches_in "$folderA" 2 || fail "no fetch ran in $folderA: $(cat "$scratch/ncftpget.log" 2>&1)"
    wait_for 10 grep -qs "^$served" "$folderA/UniquesDefeated.txt" || fail "the fetched progress did not arrive in $folderA"
    stop_viewer
    [ ! -e "$root/usr/lib/huntmark-viewer/Tabs.ini" ] || fail "the viewer wrote into the package's folder"

    note "a second user, with XDG_DATA_HOME set, follows in a folder of their own"
    folderB="$scratch/bob/data/huntmark-viewer"
    start_viewer "$scratch/bob" XDG_DATA_HOME="$scratch/bob/data"
    check_user_folder "$folderB"
    wait_for 10 test -f "$folderB/Tabs.ini" || fail "no Tabs.ini in $folderB"
    wait_for 20 fetches_in "$folderB" 2 || fail "no fetch ran in $folderB"
    stop_viewer
    [ ! -e "$scratch/bob/.local" ] || fail "XDG_DATA_HOME was ignored"

    note "after an upgrade the next start refreshes the package's pieces and keeps the user's files"
    printf '3 0\r\n' >"$folderA/Tabs.ini"
    printf 'not a real history' >"$folderA/History.sqlite"
    mine=$(printf '0%0155d1' 0)
    printf '%s\r\n' "$mine" >"$folderA/UniquesDefeated.txt"
    # An older viewer, a link missing, a link leading elsewhere.
    printf 'older' >>"$folderA/huntmark-viewer"
    rm "$folderA/Monsters"
    ln -sfn /nonexistent "$folderA/Locations"
    fetched=$(grep -c "^$folderA " "$scratch/ncftpget.log")
    start_viewer "$scratch/alice" -u XDG_DATA_HOME FAKE_FTP_FAILS=1
    check_user_folder "$folderA"
    wait_for 20 fetches_in "$folderA" $((fetched + 2)) || fail "no fetch ran after the upgrade"
    stop_viewer
    [ "$(head -n 1 "$folderA/Tabs.ini" | tr -d '\r')" = "3 0" ] || fail "Tabs.ini changed: $(cat "$folderA/Tabs.ini")"
    [ "$(cat "$folderA/History.sqlite")" = "not a real history" ] || fail "the history changed"
    [ "$(head -n 1 "$folderA/UniquesDefeated.txt" | tr -d '\r')" = "$mine" ] || fail "the progress copy changed"

    note "a per-user install takes the folder over, and the package's launcher then runs it"
    "$cmake" --install "$build" --prefix "$scratch/alice/.local" >"$scratch/install.log" 2>&1 ||
        { cat "$scratch/install.log"; fail "cmake --install into a folder the package made failed"; }
    check_program_folder "$folderA" "$build/bin" Tabs.ini History.sqlite UniquesDefeated.txt QuestsCleared.txt
    check_owned_by_install "$folderA"
    fetched=$(grep -c "^$folderA " "$scratch/ncftpget.log")
    start_viewer "$scratch/alice" -u XDG_DATA_HOME
    wait_for 20 fetches_in "$folderA" $((fetched + 2)) || fail "the per-user install's viewer fetched nothing"
    stop_viewer
    check_owned_by_install "$folderA"
    cmp -s "$folderA/huntmark-viewer" "$build/bin/huntmark-viewer" || fail "the per-user install's viewer was replaced"
}

if [ "${1:-}" = "--inside" ]; then
    shift
    inside "$@"
    exit 0
fi

source=$1
build=$2
cmake=$3
require dpkg-deb dpkg
require dpkg-shlibdeps dpkg-dev
require lintian lintian
require xvfb-run "xvfb and xauth"
require xauth xauth
require xdotool xdotool
make_scratch deb

note "make-deb.sh"
package=$(sh "$source/packaging/make-deb.sh" "$build" "$scratch/out" 2>"$scratch/make-deb.log" | tail -n 1) ||
    { cat "$scratch/make-deb.log"; fail "make-deb.sh failed"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$package" = "$scratch/out/huntmark-viewer_${version}_$(dpkg --print-architecture).deb" ] && [ -f "$package" ] ||
    fail "no package huntmark-viewer_${version}: $package"

note "dpkg-deb -I: the metadata"
field() { dpkg-deb -f "$package" "$1"; }
[ "$(field Package)" = huntmark-viewer ] && [ "$(field Version)" = "$version" ] || fail "the package is $(field Package) $(field Version)"
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 ncftp; do
    field Depends | tr ',' '\n' | grep -q "^ *$library\( (.*)\)\?$" || fail "Depends lacks $library: $(field Depends)"
done
[ -n "$(field Maintainer)" ] && [ "$(field Description | wc -l)" -ge 3 ] || fail "no maintainer or long description"
dpkg-deb -I "$package" | grep -q ' md5sums *$' || fail "no md5sums in the package"

note "dpkg-deb -c: Debian's layout"
# Picture names hold spaces: the path is all that follows the time.
dpkg-deb -c "$package" >"$scratch/list"
sed 's,^[^ ]* [^ ]*  *[0-9]* [0-9-]* [0-9:]* \./,/,; s,/$,,' "$scratch/list" >"$scratch/paths"
for path in /usr/bin/huntmark-viewer /usr/bin/huntmark-progress \
    /usr/lib/huntmark-viewer/huntmark-viewer /usr/lib/huntmark-viewer/huntmark-batch /usr/lib/huntmark-viewer/ncftpget.exe \
    /usr/share/applications/huntmark-viewer.desktop /usr/share/metainfo/org.huntmark.Viewer.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/huntmark-viewer.png /usr/share/man/man1/huntmark-viewer.1.gz \
    /usr/share/doc/huntmark-viewer/copyright /usr/share/doc/huntmark-viewer/changelog.gz; do
    grep -qx "$path" "$scratch/paths" || fail "the package holds no $path"
done
for pictures in Monsters Locations; do
    count=$(grep -c "^/usr/share/huntmark-viewer/$pictures/.*\.jpg$" "$scratch/paths")
    [ "$count" -eq 157 ] || fail "the package holds $count pictures in $pictures, not 157"
done
strays=$(grep -v -e '^/$' -e '^/usr$' -e '^/usr/bin\(/\|$\)' -e '^/usr/lib$' -e '^/usr/lib/huntmark-viewer\(/\|$\)' -e '^/usr/share\(/\|$\)' "$scratch/paths" || true)
[ -z "$strays" ] || fail "the package installs outside Debian's layout: $strays"
owners=$(awk '$2 != "root/root"' "$scratch/list")
[ -z "$owners" ] || fail "files not owned by root: $owners"

note "lintian, meanwhile"
# It takes a while and needs nothing of what follows, so it runs alongside.
lintian --tag-display-limit 0 "$package" >"$scratch/lintian.log" 2>&1 &
lintian=$!
cleanup_hook() { kill "$lintian" 2>/dev/null || true; }

note "dpkg -x into a temporary root"
root="$scratch/root"
dpkg -x "$package" "$root"
# The download client's stand-in on the search path: it notes the folder it
# runs in, and "serves" the unique monsters' file with the first one done.
mkdir "$scratch/fakebin"
cat >"$scratch/fakebin/ncftpget" <<SCRIPT
#!/bin/sh
echo "\$(pwd) \$*" >>"$scratch/ncftpget.log"
[ -z "\${FAKE_FTP_FAILS:-}" ] || exit 1
for local in "\$@"; do :; done
case \$local in
    *UniquesDefeated.txt) printf '1%0156d\r\n' 0 >"\$local" ;;
    *) printf '%063d\r\n' 0 >"\$local" ;;
esac
SCRIPT
chmod 755 "$scratch/fakebin/ncftpget"

note "xvfb-run"
status=0
xvfb-run -a -e "$scratch/xvfb.log" -s "-screen 0 1280x1024x24" \
    sh "$here/$(basename "$0")" --inside "$root" "$scratch" "$build" "$cmake" </dev/null || status=$?
if [ "$status" -ne 0 ]; then
    cat "$scratch/xvfb.log" >&2
    fail "the run under the X server failed (status $status)"
fi

note "lintian's verdict"
wait "$lintian" || true
cat "$scratch/lintian.log"
! grep -q '^E: ' "$scratch/lintian.log" || fail "lintian reports errors"
# Every warning left is named in the README, with the reason it stays.
for tag in $(sed -n 's/^W: [^:]*: \([^ ]*\).*/\1/p' "$scratch/lintian.log" | sort -u); do
    grep -q "\`$tag\`" "$source/README.md" || fail "lintian warns $tag, and the README does not say why"
done
note "the package builds, passes lintian and runs for every user"
