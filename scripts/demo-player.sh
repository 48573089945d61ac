#!/bin/sh
# The demo's other player: every MIN to MAX seconds marks the next turn of its
# hunt done in its own progress files and publishes them to the demo server.
#
#   demo-player.sh HUNTMARK_PROGRESS FOLDER HUNT_FILE PORT MIN-MAX
#
# FOLDER keeps the progress files and the number of turns played, so a later
# demo goes on from there. SIGTERM ends it between two steps: an upload under
# way completes first.
set -eu

[ $# -eq 5 ] || {
    echo "usage: $0 HUNTMARK_PROGRESS FOLDER HUNT_FILE PORT MIN-MAX" >&2
    exit 2
}
tool=$1 folder=$2 hunt=$3 port=$4
shortest=${5%-*} longest=${5#*-}

pause=""
finished=""
trap '[ -z "$pause" ] || kill "$pause" 2>/dev/null; exit 0' TERM

played_file=$folder/turns-played
played=$(cat "$played_file" 2>/dev/null || echo 0)

# The turns below the "---" line, one a line.
next_turn() {
    sed -e '1,/^---$/d' -e '/^#/d' -e '/^$/d' "$hunt" | sed -n "$((played + 1))p"
}

# A pause of a whole number of seconds between the two bounds, spent in a
# child the shell waits for, so that SIGTERM ends it at once. A child ended
# early by someone else does not cut it short.
pause() {
    random=$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')
    until=$(($(date +%s) + shortest + random % (longest - shortest + 1)))
    while [ "$(date +%s)" -lt "$until" ]; do
        sleep $((until - $(date +%s))) &
        pause=$!
        wait "$pause" || true
        pause=""
    done
}

while :; do
    pause
    turn=$(next_turn)
    if [ -z "$turn" ]; then
        [ -n "$finished" ] || echo "demo player: has done everything; the demo goes on without news"
        finished=yes
        continue
    fi
    # The tool lists what it marked, "[x] Tab: Name" a line.
    # shellcheck disable=SC2086 # split at "|" only, into one name each
    marked=$(IFS='|' && set -f && "$tool" --folder "$folder" mark $turn) || exit 1
    played=$((played + 1))
    echo "$played" >"$played_file"
    if "$tool" --folder "$folder" publish --host 127.0.0.1 --port "$port" >/dev/null; then
        echo "demo player: done $(echo "$marked" | sed -n '1s/^\[x\] //p')"
    fi
done
