#!/bin/sh
# Runs a command beside a desktop keyring of its own: a private session bus,
# a fresh HOME and TMPDIR, and gnome-keyring's Secret Service unlocked there.
# Everything goes with the bus when the command ends.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir "$home/tmp"
export HOME="$home" TMPDIR="$home/tmp" XDG_DATA_HOME="$home/.local/share"
export HUNTMARK_KEYRING_SESSION=1
unset XDG_RUNTIME_DIR GNOME_KEYRING_CONTROL
dbus-run-session -- sh -c '
    printf %s keyring-unlock | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    exec "$@"' keyring-session "$@"
