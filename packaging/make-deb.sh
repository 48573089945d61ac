#!/bin/sh
# Builds the Debian package huntmark-viewer_<version>_<arch>.deb from a built
# tree, with dpkg-deb on a staged folder: the "debian" install component
# (cmake/Debian.cmake) installed for /usr, the docs compressed as Debian
# wants, the dependencies of the binaries found by dpkg-shlibdeps, and the
# control file and checksums written here.
#   make-deb.sh BUILD_DIR OUTPUT_DIR
# Prints the package's path last.
set -eu

build=$(cd "$1" && pwd)
output=$2
source=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "make-deb: $*" >&2
    exit 1
}

cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"
}

for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool not found: install the Debian package dpkg-dev"
done

name=huntmark-viewer
version=$(cache_value CMAKE_PROJECT_VERSION)
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
logged=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' "$source/packaging/debian/changelog")
[ "$logged" = "$version" ] ||
    fail "packaging/debian/changelog starts with version $logged, the project is $version: add an entry"
arch=$(dpkg --print-architecture)

stage=$(mktemp -d "${TMPDIR:-/tmp}/huntmark-deb.XXXXXX")
trap 'rm -rf "$stage"' EXIT
trap 'exit 2' HUP INT TERM
root=$stage/root

DESTDIR=$root cmake --install "$build" --component debian --prefix /usr --strip >"$stage/install.log" 2>&1 ||
    { cat "$stage/install.log" >&2; fail "cmake --install --component debian failed"; }

docs=$root/usr/share/doc/$name
gzip -9n "$docs/changelog" "$docs/README.md" "$root"/usr/share/man/man1/*.1

# Whatever the umask of the build was: files 644, programs and folders 755.
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f -exec chmod 644 {} +
chmod 755 "$root/usr/bin/"* "$root/usr/lib/$name/"*

# dpkg-shlibdeps reads the package's name and kind from debian/control.
mkdir "$stage/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: any\n' "$name" "$name" >"$stage/debian/control"
binaries=$(find "$root/usr/lib/$name" "$root/usr/bin" -type f -exec sh -c 'head -c 4 "$1" | grep -q ELF' sh {} \; -print)
# shellcheck disable=SC2086
shlibs=$(cd "$stage" && dpkg-shlibdeps -O $binaries 2>"$stage/shlibdeps.log") ||
    { cat "$stage/shlibdeps.log" >&2; fail "dpkg-shlibdeps failed"; }
depends=$(echo "$shlibs" | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || fail "dpkg-shlibdeps found no libraries: $shlibs"
# What the viewer runs or loads without linking it: the download script's
# client, and the SQLite driver when the viewer uses Qt's SQL module.
depends="$depends, ncftp"
if objdump -p "$root/usr/lib/$name/huntmark-viewer" | grep -q 'NEEDED.*libQt6Sql'; then
    depends="$depends, libqt6sql6-sqlite"
fi

mkdir "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: $name
Version: $version
Architecture: $arch
Maintainer: The Huntmark Viewer developers <maintainers@huntmark.example>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Recommends: qt6-wayland
Section: utils
Priority: optional
Description: follow another player's hunt for unique monsters and quests
 Huntmark Viewer shows how far another player has come through a
 role-playing game's optional content: its 157 unique monsters in 19 regions
 and its 63 quests, with level, location, appearance conditions and
 pictures, ticked off as the other player gets them done.
 .
 The other player publishes two small progress files on an FTP server; the
 viewer fetches them every minute with ncftpget. Every user of the machine
 follows in a program folder of their own, ~/.local/share/huntmark-viewer.
 The package also brings huntmark-progress, which marks progress and
 publishes it.
CONTROL
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

mkdir -p "$output"
package=$(cd "$output" && pwd)/${name}_${version}_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"
