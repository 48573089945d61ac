#!/bin/sh
# CPack packs a portable bundle: one folder that is a complete program folder
# and runs wherever it is unpacked, with the progress tool in it.
#   bundle_test.sh CPACK BUILD_DIR BUILD_PROGRAM_DIR PACKAGE_NAME
set -eu
. "$(dirname "$0")/packaging_common.sh"

cpack=$1
build=$2
built=$3
name=$4
require readelf binutils
make_scratch bundle

note "cpack -G TGZ"
"$cpack" -G TGZ --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
archive="$scratch/out/$name.tar.gz"
[ -f "$archive" ] || fail "cpack made no $name.tar.gz: $(ls "$scratch/out")"

note "one top folder"
tops=$(tar -tzf "$archive" | cut -d/ -f1 | sort -u)
[ "$tops" = "$name" ] || fail "the bundle's top level holds '$tops' instead of one folder $name"

note "unpacked elsewhere, a complete program folder"
mkdir "$scratch/elsewhere"
tar -xzf "$archive" -C "$scratch/elsewhere"
folder="$scratch/elsewhere/$name"
check_program_folder "$folder" "$built" README.md LICENSE huntmark-progress huntmark-tracker
check_no_build_paths "$folder/huntmark-viewer" "$folder/huntmark-batch" "$folder/ncftpget.exe" "$folder/huntmark-progress" \
    "$folder/huntmark-tracker"

note "the progress tool comes with it and runs"
check_progress_tool "$folder/huntmark-progress"

note "the unpacked viewer runs and keeps its files in its folder"
run_offscreen "$folder" "$folder/huntmark-viewer"

note "the bundle is complete and runs where it is unpacked"
