# Shared by the install, bundle and X server tests. POSIX sh.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "-- $*"
}

# require TOOL PACKAGE: the tool is on the search path, or the test fails
# naming the Debian package that brings it.
require() {
    command -v "$1" >/dev/null 2>&1 || fail "$1 not found: install the Debian package $2"
}

# A scratch folder that every user may enter (a test runs the launcher as
# another user), removed when the test ends.
make_scratch() {
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/huntmark-$1.XXXXXX") || fail "no scratch folder"
    chmod 755 "$scratch"
    trap 'cleanup' EXIT
    trap 'exit 2' HUP INT TERM
}

cleanup_hook() { :; }
cleanup() {
    cleanup_hook
    [ -n "${scratch:-}" ] && rm -rf "$scratch"
}

# An ncftpget.exe for the program folder FOLDER in place of the installed
# one, which waits in FOLDER.kept: the download script finds it there before
# any real FTP client. It notes its arguments in ncftpget.log, the lines of
# its login file (-f) in ncftpget.login, and sleeps SECONDS, so the script
# is still there to look at.
fake_ftp_client() {
    [ -e "$1/ncftpget.exe" ] && mv "$1/ncftpget.exe" "$1.kept"
    cat >"$1/ncftpget.exe" <<SCRIPT
#!/bin/sh
line="\$*"
while [ \$# -gt 1 ]; do [ "\$1" = -f ] && cat "\$2" >>ncftpget.login; shift; done
echo "\$line" >>ncftpget.log
sleep $2
SCRIPT
    chmod 755 "$1/ncftpget.exe"
}

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    limit=$(($1 * 10))
    shift
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ "$tries" -ge "$limit" ] && return 1
        sleep 0.1
    done
}

# check_program_folder FOLDER BUILD_PROGRAM_DIR EXTRA...: FOLDER holds the
# viewer, its script helper and download client, the two picture folders with
# exactly the pictures of the build, the EXTRA names and nothing else (no
# settings or progress files from a run of the build).
check_program_folder() {
    folder=$1
    built=$2
    shift 2
    [ -f "$folder/huntmark-viewer" ] && [ -x "$folder/huntmark-viewer" ] || fail "no viewer in $folder"
    [ -f "$folder/huntmark-batch" ] && [ -x "$folder/huntmark-batch" ] || fail "no script helper in $folder"
    [ -f "$folder/ncftpget.exe" ] && [ -x "$folder/ncftpget.exe" ] || fail "no download client in $folder"
    expected=$(printf '%s\n' huntmark-viewer huntmark-batch ncftpget.exe Monsters Locations "$@" | sort)
    actual=$(ls -A "$folder" | sort)
    [ "$actual" = "$expected" ] || fail "$folder holds
$actual
instead of
$expected"
    for pictures in Monsters Locations; do
        count=$(find "$folder/$pictures" -type f -name '*.jpg' | wc -l)
        [ "$count" -eq 157 ] || fail "$folder/$pictures holds $count pictures instead of 157"
        [ "$(ls -A "$folder/$pictures")" = "$(ls -A "$built/$pictures")" ] ||
            fail "$folder/$pictures differs from the build's $built/$pictures"
        # The installed files are the build's files, byte for byte.
        first=$(ls "$built/$pictures" | head -n 1)
        cmp -s "$folder/$pictures/$first" "$built/$pictures/$first" || fail "$folder/$pictures/$first differs"
    done
}

# The executables load Qt from the system and nothing from a build tree.
check_no_build_paths() {
    for binary in "$@"; do
        paths=$(readelf -d "$binary" | grep -E '\((RPATH|RUNPATH)\)' || true)
        [ -z "$paths" ] || fail "$binary carries a library search path: $paths"
        missing=$(ldd "$binary" | grep 'not found' || true)
        [ -z "$missing" ] || fail "$binary misses libraries: $missing"
    done
}

# run_offscreen FOLDER COMMAND...: starts the viewer on Qt's offscreen
# platform with a fake FTP client in its program folder FOLDER and expects it
# to be still running after 3 s, having written Tabs.ini and started its
# download script there.
run_offscreen() {
    folder=$1
    shift
    rm -f "$folder/Tabs.ini" "$folder/ncftpget.log" "$folder/ncftpget.login"
    fake_ftp_client "$folder" 0
    (cd / && QT_QPA_PLATFORM=offscreen exec "$@" </dev/null) &
    viewer=$!
    wait_for 10 test -f "$folder/ncftpget.log" ||
        fail "the download script never ran in $folder"
    # Two downloads, then the script deletes itself.
    wait_for 10 test ! -e "$folder/QV_Data.bat" || fail "the download script did not finish in $folder"
    kill -0 "$viewer" 2>/dev/null || fail "$* ended on its own"
    kill "$viewer"
    status=0
    wait "$viewer" || status=$?
    [ "$status" -eq 0 ] || fail "$* ended with status $status when asked to quit"
    [ -f "$folder/Tabs.ini" ] || fail "the viewer wrote no Tabs.ini in $folder"
    [ "$(wc -l <"$folder/ncftpget.log")" -eq 2 ] || fail "the script ran $(wc -l <"$folder/ncftpget.log") downloads, not 2"
    rm -f "$folder/Tabs.ini" "$folder/ncftpget.log" "$folder/ncftpget.login" "$folder/ncftpget.exe"
    [ ! -e "$folder.kept" ] || mv "$folder.kept" "$folder/ncftpget.exe"
}

# check_progress_tool COMMAND: the progress tool marks an entry it lists in a
# folder of its own, writing the flag line the viewer reads, and refuses an
# unknown name on standard error alone with status 1.
check_progress_tool() {
    work=$(mktemp -d "$scratch/progress.XXXXXX")
    version=$(cd "$work" && "$1" --version) || fail "$1 --version failed"
    echo "$version" | grep -q '^huntmark-progress [0-9]' || fail "$1 --version says: $version"
    (cd "$work" && "$1" init >/dev/null) || fail "$1 init failed"
    # The second unique monster of the first region, as the tool lists it.
    region=$(cd "$work" && "$1" show | sed -n '2s/^  \(.*[^ ]\)  *[0-9]*\/[0-9]*$/\1/p')
    name=$(cd "$work" && "$1" show "$region" | sed -n '3s/^\[ \] //p')
    [ -n "$name" ] || fail "$1 show lists no entries"
    (cd "$work" && "$1" mark "$name" >/dev/null) || fail "$1 mark \"$name\" failed"
    expected=$(printf '01%0155d\r' 0)
    [ "$(head -n 1 "$work/UniquesDefeated.txt")" = "$expected" ] ||
        fail "$1 mark \"$name\" wrote $(od -c "$work/UniquesDefeated.txt" | head -n 3)"
    status=0
    (cd "$work" && "$1" mark "No Such Monster Here" >"$work/out" 2>"$work/err") || status=$?
    [ "$status" -eq 1 ] || fail "$1 ended with status $status for an unknown name, not 1"
    [ ! -s "$work/out" ] || fail "$1 printed on standard output for an unknown name: $(cat "$work/out")"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$1 did not say in one line why: $(cat "$work/err")"
}
