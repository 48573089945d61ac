#!/bin/sh
# The viewer following another player live, with nothing to set up: a
# program folder of its own (by default <build>/demo), Debian's FTP server on
# a free port of this machine playing the build's server, and a simulated
# player who publishes a newly done entry now and then.
#
#   scripts/demo.sh [--folder DIR] [--port PORT] [--turn MIN-MAX]
#                   [--serve-only | --prepare-only] BUILD_DIR
#
# --turn sets the player's pause between turns in seconds (20-40);
# --serve-only runs the server and the player without the viewer, until a
# signal ends them; --prepare-only only makes the folder ready. Ending the viewer ends the demo; so does SIGINT, SIGTERM
# or SIGHUP. The folder keeps its files, so the next run goes on from there.
set -eu

fail() {
    echo "demo: $*" >&2
    exit 1
}

usage() {
    echo "usage: $0 [--folder DIR] [--port PORT] [--turn MIN-MAX] [--serve-only | --prepare-only] BUILD_DIR" >&2
    exit 2
}

scripts=$(cd "$(dirname "$0")" && pwd)
folder=""
port=0
turn="20-40"
run=all
while [ $# -gt 1 ]; do
    case $1 in
        --folder) folder=$2; shift 2 ;;
        --port) port=$2; shift 2 ;;
        --turn) turn=$2; shift 2 ;;
        --serve-only) run=server; shift ;;
        --prepare-only) run=nothing; shift ;;
        *) usage ;;
    esac
done
[ $# -eq 1 ] || usage
build=$(cd "$1" && pwd)
bin=$build/bin
folder=${folder:-$build/demo}
case $port in '' | *[!0-9]*) usage ;; esac
case $turn in [0-9]*-[0-9]*) ;; *) usage ;; esac

# What the build was configured with: the server the viewer's script names
# and the account it logs in with. The password is the same in every build.
cached() {
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"
}
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder: run make build first"
host=$(cached HUNTMARK_FTP_HOST)
account=$(cached HUNTMARK_FTP_ACCOUNT)
password=marrowfen

python=/usr/bin/python3
"$python" -c 'import pyftpdlib' 2>/dev/null ||
    fail "Debian's FTP server is missing: install python3-pyftpdlib (scripts/install-deps.sh does)"
for client in ncftpget ncftpput; do
    command -v $client >/dev/null || fail "$client is missing: install ncftp (scripts/install-deps.sh does)"
done
for program in huntmark-viewer huntmark-batch huntmark-progress ncftpget.exe; do
    [ -x "$bin/$program" ] || fail "$bin/$program is missing: run make build first"
done

mkdir -p "$folder/server" "$folder/player"
folder=$(cd "$folder" && pwd)
# One demo per folder: a second one would point the first one's viewer at
# its own server. The lock goes with this shell, never to its children.
exec 9>"$folder/demo.lock"
flock -n 9 || fail "a demo is already running in $folder"

# The viewer takes its program folder from where its executable lies, so the
# programs are copies (replaced by a rename: one may still be running); the
# pictures are only read and stay where the build drew them.
for program in huntmark-viewer huntmark-batch; do
    if ! cmp -s "$bin/$program" "$folder/$program"; then
        cp "$bin/$program" "$folder/.$program.new"
        mv -f "$folder/.$program.new" "$folder/$program"
    fi
done
for pictures in Monsters Locations; do
    ln -sfn "$bin/$pictures" "$folder/$pictures"
done

# A fresh demo starts in mid-game: the turns above "---" are done.
hunt=$scripts/demo-hunt.txt
if [ ! -f "$folder/player/UniquesDefeated.txt" ]; then
    done_at_start=$(sed -e '/^---$/,$d' -e '/^#/d' -e '/^$/d' "$hunt" | paste -sd '|')
    "$bin/huntmark-progress" --folder "$folder/player" init >/dev/null ||
        fail "could not start the demo player's record in $folder/player"
    # shellcheck disable=SC2086 # split at "|" only, into one name each
    (IFS='|' && set -f && "$bin/huntmark-progress" --folder "$folder/player" mark $done_at_start) >/dev/null ||
        fail "could not mark the demo player's start from $hunt in $folder/player"
fi
for file in UniquesDefeated.txt QuestsCleared.txt; do
    [ -f "$folder/server/$file" ] || cp "$folder/player/$file" "$folder/server/$file"
done
[ $run != nothing ] || exit 0

server=""
player=""
viewer=""

# Ends what this demo started, the viewer first so that its last fetch still
# finds the server, the player before the server so that an upload under way
# completes. Signals wait meanwhile: stopping takes a second at most.
# shellcheck disable=SC2317 # run by the traps
stop_demo() {
    trap '' INT TERM HUP
    if [ -n "$viewer" ]; then
        kill -TERM "$viewer" 2>/dev/null || true
        wait "$viewer" 2>/dev/null || true
    fi
    if [ -n "$player" ]; then
        kill -TERM "$player" 2>/dev/null || true
        wait "$player" 2>/dev/null || true
        # The player ran in a process group of its own; a pause it was
        # waiting in goes with it.
        kill -TERM "-$player" 2>/dev/null || true
    fi
    if [ -n "$server" ]; then
        kill -TERM "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    viewer="" player="" server=""
}
trap 'stop_demo' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Port 0 lets the system pick a free port; the server's log says which.
log=$folder/server.log
: >"$log"
"$python" -m pyftpdlib -i 127.0.0.1 -p "$port" -u "$account" -P "$password" -w -d "$folder/server" \
    >"$log" 2>&1 9>&- </dev/null &
server=$!
listening=""
tries=0
while [ -z "$listening" ]; do
    listening=$(sed -n 's/.*starting FTP server on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
    [ -n "$listening" ] && break
    if ! kill -0 "$server" 2>/dev/null || [ $tries -ge 100 ]; then
        kill -TERM "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
        server=""
        grep -q 'Address already in use' "$log" && fail "port $port on 127.0.0.1 is already taken: pick another one, or none for a free one"
        fail "the FTP server did not start: $(tail -n 1 "$log")"
    fi
    tries=$((tries + 1))
    sleep 0.1
done
port=$listening

# The viewer's script runs "ncftpget.exe" from the program folder with the
# build's server: this one hands the demo server's address to the stand-in
# the build made, which runs Debian's ncftpget.
quoted() {
    printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}
cat >"$folder/ncftpget.exe" <<EOF
#!/bin/sh
# Written by scripts/demo.sh: the demo server on port $port of this machine
# stands in for the build's FTP server.
host=$(quoted "$host")
for argument do
    shift
    [ "\$argument" = "\$host" ] && argument=127.0.0.1
    set -- "\$@" "\$argument"
done
exec $(quoted "$bin/ncftpget.exe") -P $port "\$@"
EOF
chmod 755 "$folder/ncftpget.exe"

setsid "$scripts/demo-player.sh" "$bin/huntmark-progress" "$folder/player" "$hunt" "$port" "$turn" 9>&- </dev/null &
player=$!

echo "demo: the FTP server on 127.0.0.1:$port serves $folder/server; a simulated player publishes there every ${turn%-*} to ${turn#*-} s"
if [ $run = server ]; then
    wait "$server" || true
    server=""
    fail "the FTP server ended: $(tail -n 1 "$log")"
fi

# Started in the background, the viewer ignores the terminal's Ctrl+C; the
# demo then ends it with SIGTERM, the way that ends its fetch cleanly.
(cd "$folder" && exec ./huntmark-viewer) 9>&- </dev/null &
viewer=$!
status=0
wait "$viewer" || status=$?
viewer=""
exit $status
