#!/bin/sh
# Installs the Debian packages the build, the tests and the viewer need, when
# any of them is missing. Runs apt-get through sudo unless already root, and
# never asks a question, so it works in CI without standard input.
set -eu

packages="
cmake
make
ninja-build
g++
qt6-base-dev
libgl-dev
libfontconfig-dev
fonts-liberation2
ncftp
python3-pyftpdlib
dbus-daemon
libsqlite3-dev
qtkeychain-qt6-dev
"
# The benchmarks, fuzzers and the real-X-server tests bring their own lists.
for extra in "$@"; do
    packages="$packages $extra"
done

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q </dev/null
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing </dev/null
