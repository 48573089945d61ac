#!/bin/sh
# The Debian package as a machine gets it: built by `make deb` (debhelper),
# checked by lintian, installed with apt, and started by two users created
# for the test, each following a real FTP server on 127.0.0.1 in a data
# folder of their own; a folder the earlier package's launcher made is tidied
# at the first start and keeps the user's files; `apt remove` leaves the homes.
#   deb_test.sh SOURCE_DIR BUILD_DIR FTP_HOST FTP_ACCOUNT
# Needs root (apt, useradd, a private network); skipped (status 77) for
# anyone else, and on a machine where the package is already installed.
# Runs itself again in a private network and mount namespace with
# "--inside SCRATCH HOST ACCOUNT USER_A USER_B".
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/packaging_common.sh"

# The password is part of the program.
password=marrowfen
served_uniques=$(printf '1%0155d1\r\n' 0)
served_quests=$(printf '01%061d\r\n' 0)

# start_viewer USER OUTPUT [VARIABLE=VALUE...]: starts the installed viewer as
# USER, with that user's own environment and the given variables; $viewer
# is its process.
start_viewer() {
    user=$1
    output=$2
    shift 2
    setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
        env QT_QPA_PLATFORM=offscreen "$@" /usr/bin/huntmark-viewer </dev/null >"$output" 2>&1 &
    viewer=$!
}

stop_viewer() {
    kill "$viewer" 2>/dev/null || true
    status=0
    wait "$viewer" || status=$?
    [ "$status" -eq 0 ] || fail "the viewer ended with status $status when asked to quit: $(cat "$output")"
}

# downloads: how many files the FTP server has sent so far.
downloads() {
    grep -c 'RETR .* completed=1' "$scratch/ftp.log" || true
}

# follows FOLDER COUNT: a fetch brought the served files into FOLDER, after
# the server had sent COUNT files before.
follows() {
    [ "$(downloads)" -ge $(($2 + 2)) ] &&
        [ "$(cat "$1/UniquesDefeated.txt" 2>/dev/null)" = "$served_uniques" ] &&
        [ "$(cat "$1/QuestsCleared.txt" 2>/dev/null)" = "$served_quests" ]
}

# first_start USER FOLDER [VARIABLE=VALUE...]: the user's first start makes
# their data folder FOLDER, writes Tabs.ini there and fetches into it.
first_start() {
    user=$1
    folder=$2
    shift 2
    sent=$(downloads)
    start_viewer "$user" "$scratch/$user.out" "$@"
    wait_for 60 test -f "$folder/Tabs.ini" || fail "no Tabs.ini in $folder: $(cat "$scratch/$user.out")"
    wait_for 60 follows "$folder" "$sent" || fail "no fetch arrived in $folder: $(tail -n 5 "$scratch/ftp.log")"
    stop_viewer
    strangers=$(find "$(dirname "$folder")" ! -user "$user")
    [ -z "$strangers" ] || fail "not $user's: $strangers"
}

# launcher_folder FOLDER: FOLDER as the launcher of the earlier package left
# it: its mark, links to that package's script helper, client and pictures,
# and a copy of the viewer, beside the user's own files.
launcher_folder() {
    printf 'This program folder was made by /usr/bin/huntmark-viewer.\n' >"$1/.huntmark-package"
    ln -s /usr/lib/huntmark-viewer/huntmark-batch "$1/huntmark-batch"
    ln -s /usr/lib/huntmark-viewer/ncftpget.exe "$1/ncftpget.exe"
    ln -s /usr/share/huntmark-viewer/Monsters "$1/Monsters"
    ln -s /usr/share/huntmark-viewer/Locations "$1/Locations"
    cp /usr/libexec/huntmark-viewer/huntmark-viewer "$1/huntmark-viewer"
    chmod 755 "$1/huntmark-viewer"
    printf '3 0\r\n' >"$1/Tabs.ini"
}

inside() {
    scratch=$1
    host=$2
    account=$3
    userA=$4
    userB=$5
    homeA=$scratch/$userA
    homeB=$scratch/$userB

    note "the FTP server on 127.0.0.1:21, and $host leading there"
    ip link set lo up
    printf '127.0.0.1 localhost %s\n' "$host" >"$scratch/hosts"
    mount --bind "$scratch/hosts" /etc/hosts
    mkdir "$scratch/served"
    printf '%s' "$served_uniques" >"$scratch/served/UniquesDefeated.txt"
    printf '%s' "$served_quests" >"$scratch/served/QuestsCleared.txt"
    /usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p 21 -u "$account" -P "$password" -d "$scratch/served" \
        >"$scratch/ftp.log" 2>&1 </dev/null &
    server=$!
    trap 'kill "$server" 2>/dev/null || true; kill "${viewer:-}" 2>/dev/null || true' EXIT
    wait_for 30 grep -q 'starting FTP server' "$scratch/ftp.log" || fail "the FTP server did not start: $(cat "$scratch/ftp.log")"

    note "two users: each gets a data folder of their own, with Tabs.ini and the fetched progress"
    folderA=$homeA/.local/share/huntmark-viewer
    first_start "$userA" "$folderA"
    folderB=$homeB/data/huntmark-viewer
    first_start "$userB" "$folderB" XDG_DATA_HOME="$homeB/data"
    [ ! -e "$homeB/.local/share/huntmark-viewer" ] || fail "XDG_DATA_HOME was ignored"

    note "root too keeps its state at home: nothing under /usr is written at run time"
    mkdir "$scratch/root"
    sent=$(downloads)
    (cd / && HOME="$scratch/root" QT_QPA_PLATFORM=offscreen exec /usr/bin/huntmark-viewer </dev/null >"$scratch/root.out" 2>&1) &
    viewer=$!
    output=$scratch/root.out
    wait_for 60 follows "$scratch/root/.local/share/huntmark-viewer" "$sent" || fail "root's viewer fetched nothing"
    stop_viewer
    written=$(find /usr/libexec/huntmark-viewer /usr/share/huntmark-viewer -newer "$scratch/installed" -print)
    [ -z "$written" ] || fail "written at run time: $written"

    note "no home folder: a clear message, not a crash"
    start_viewer "$userA" "$scratch/nohome.out" HOME="$scratch/nobody-home"
    wait_for 30 grep -q "cannot start: your home folder $scratch/nobody-home does not exist" "$scratch/nohome.out" ||
        fail "the viewer did not say why it cannot start: $(cat "$scratch/nohome.out")"
    # It shows the message in a box as well, and waits there.
    kill "$viewer" 2>/dev/null || true
    status=0
    wait "$viewer" || status=$?
    [ "$status" -eq 1 ] || [ "$status" -eq 143 ] || fail "the viewer without a home ended with status $status"
    [ ! -e "$scratch/nobody-home" ] || fail "the viewer made a home folder"

    note "an upgrade from a folder the earlier launcher made: the user's files stay, the launcher's pieces go"
    launcher_folder "$folderA"
    chown -hR "$userA:$userA" "$folderA"
    (cd "$folderA" && sha256sum Tabs.ini UniquesDefeated.txt QuestsCleared.txt History.sqlite) >"$scratch/before.sums"
    sent=$(downloads)
    start_viewer "$userA" "$scratch/upgrade.out"
    wait_for 60 test ! -e "$folderA/.huntmark-package" || fail "the launcher's mark stayed"
    wait_for 60 follows "$folderA" "$sent" || fail "no fetch after the upgrade: $(cat "$scratch/upgrade.out")"
    stop_viewer
    (cd "$folderA" && sha256sum -c --quiet "$scratch/before.sums") || fail "the user's files changed"
    for piece in huntmark-batch ncftpget.exe Monsters Locations huntmark-viewer .huntmark-package; do
        [ ! -e "$folderA/$piece" ] && [ ! -L "$folderA/$piece" ] || fail "$folderA/$piece stayed"
    done

    note "no program in either home"
    programs=$(find "$homeA" "$homeB" \( -type f -perm /111 -o -type l \) -print)
    [ -z "$programs" ] || fail "programs or links in a home: $programs"
}

if [ "${1:-}" = "--inside" ]; then
    shift
    inside "$@"
    exit 0
fi

source=$1
build=$2
host=$3
account=$4
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the package and adding users needs root (CI runs as root)"
    exit 77
fi
if dpkg-query -W -f='${Status}' huntmark-viewer 2>/dev/null | grep -q 'ok installed'; then
    echo "SKIP: huntmark-viewer is installed on this machine; the test installs and removes it"
    exit 77
fi
require dpkg-buildpackage dpkg-dev
require dh debhelper
require lintian lintian
require setpriv util-linux
require unshare util-linux
require ip iproute2
require useradd passwd
make_scratch deb
userA=hmdeba$$
userB=hmdebb$$
installed=""
cleanup_hook() {
    kill "${lintian:-}" 2>/dev/null || true
    [ -z "$installed" ] || apt-get remove -y -q -o DPkg::Lock::Timeout=300 huntmark-viewer >/dev/null 2>&1 || true
    for user in $userA $userB; do
        ! id "$user" >/dev/null 2>&1 || userdel "$user" 2>/dev/null || true
    done
}

note "make deb"
parent=$(dirname "$(cd "$source" && pwd)")
ls -A "$parent" >"$scratch/parent.before"
env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make --no-print-directory -C "$source" deb BUILD_DIR="$build" \
    >"$scratch/make-deb.log" 2>&1 || { tail -n 40 "$scratch/make-deb.log"; fail "make deb failed"; }
version=$(cd "$source" && dpkg-parsechangelog -S Version)
package=$build/huntmark-viewer_${version}_$(dpkg --print-architecture).deb
[ -f "$package" ] && [ "$package" -nt "$scratch/parent.before" ] || fail "make deb left no new $package"
ls -A "$parent" | diff "$scratch/parent.before" - || fail "make deb left files beside the source tree in $parent"
hardening=$(grep -c -- '-D_FORTIFY_SOURCE=2 .*-fstack-protector-strong\|-fstack-protector-strong .*-D_FORTIFY_SOURCE=2' "$scratch/make-deb.log" || true)
[ "$hardening" -gt 0 ] && grep -q -- '-Wl,-z,now' "$scratch/make-deb.log" || fail "the build used none of dpkg-buildflags' hardening"

note "the package's metadata"
field() { dpkg-deb -f "$package" "$1"; }
[ "$(field Package)" = huntmark-viewer ] && [ "$(field Version)" = "$version" ] || fail "the package is $(field Package) $(field Version)"
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 ncftp libsqlite3-0; do
    field Depends | tr ',' '\n' | grep -q "^ *$library\( (.*)\)\?$" || fail "Depends lacks $library: $(field Depends)"
done

note "lintian, meanwhile"
lintian -I -E --pedantic --tag-display-limit 0 "$package" >"$scratch/lintian.log" 2>&1 &
lintian=$!

note "apt install"
apt-get install -y -q -o DPkg::Lock::Timeout=300 "$package" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt-get install failed"; }
installed=yes
touch "$scratch/installed"
[ "$(readlink -f /usr/bin/huntmark-viewer)" = /usr/libexec/huntmark-viewer/huntmark-viewer ] ||
    fail "/usr/bin/huntmark-viewer leads to $(readlink -f /usr/bin/huntmark-viewer)"
for program in $(dpkg -L huntmark-viewer | grep '^/usr/bin/'); do
    [ "$(head -c 4 "$program")" = "$(printf '\177ELF')" ] || fail "$program is no program of its own but a script"
done

note "two users"
for user in $userA $userB; do
    useradd -M -U -d "$scratch/$user" -s /bin/sh "$user"
    mkdir "$scratch/$user"
    chown "$user:$user" "$scratch/$user"
done

note "in a private network"
unshare -n -m sh "$here/$(basename "$0")" --inside "$scratch" "$host" "$account" "$userA" "$userB" </dev/null ||
    fail "the run with the installed package failed"

note "apt remove leaves the homes alone"
find "$scratch/$userA" "$scratch/$userB" | sort >"$scratch/homes.before"
apt-get remove -y -q -o DPkg::Lock::Timeout=300 huntmark-viewer >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt-get remove failed"; }
installed=""
[ ! -e /usr/bin/huntmark-viewer ] || fail "/usr/bin/huntmark-viewer stayed"
find "$scratch/$userA" "$scratch/$userB" | sort | diff "$scratch/homes.before" - || fail "apt remove changed a home"

note "lintian's verdict"
wait "$lintian" || true
cat "$scratch/lintian.log"
! grep -q '^[EW]: ' "$scratch/lintian.log" || fail "lintian reports errors or warnings"
! grep -q 'hardening-\|binary-has-unneeded-section' "$scratch/lintian.log" || fail "lintian finds the hardening or sections missing"
# Anything else it still says is named in the README, with the reason it stays.
for tag in $(sed -n 's/^[A-Z]: [^:]*: \([^ ]*\).*/\1/p' "$scratch/lintian.log" | sort -u); do
    grep -q "\`$tag\`" "$source/README.md" || fail "lintian reports $tag, and the README does not say why"
done
note "the package builds as Debian builds, passes lintian, and keeps every user's state at home"
