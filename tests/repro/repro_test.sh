#!/bin/bash
# Two clean builds of the plug-in, from copies of the sources at different
# paths into build folders at different paths, must give the same DLL byte
# for byte; packaging each must give the same zip.
#   tests/repro/repro_test.sh SOURCE_DIR
set -eu
src=$(realpath "${1:-$(dirname "$0")/../..}")
work=$(mktemp -d /tmp/mirn-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The sources only: no build trees, no results, no history.
copy() {
    mkdir -p "$2"
    tar -C "$1" --exclude='./build*' --exclude=./dist --exclude=./.git --exclude=./out -cf - . | tar -C "$2" -xf -
}

build() {  # build SOURCE BUILD
    cmake -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >"$2.log" 2>&1 &&
        cmake --build "$2" --target vis_mirn -j2 >>"$2.log" 2>&1 || { cat "$2.log"; return 1; }
}

copy "$src" "$work/a/src"
copy "$src" "$work/second-copy/of/the/sources"
build "$work/a/src" "$work/a/b"
sleep 1  # a later clock, so any timestamp left in would differ
build "$work/second-copy/of/the/sources" "$work/second-copy/build-elsewhere"
dll_a="$work/a/b/bin/vis_mirn.dll"
dll_b="$work/second-copy/build-elsewhere/bin/vis_mirn.dll"

status=0
if cmp "$dll_a" "$dll_b"; then
    echo "DLL identical: $(stat -c %s "$dll_a") bytes, sha256 $(sha256sum <"$dll_a" | cut -d' ' -f1)"
else
    echo "DLL differs between the two builds:"
    cmp -l "$dll_a" "$dll_b" | head -n 20
    status=1
fi

# The package made from each copy (different file times) must match too.
"$src/scripts/dist.sh" --package "$dll_a" "$work/a/src" "$work/zip-a"
sleep 1
"$src/scripts/dist.sh" --package "$dll_b" "$work/second-copy/of/the/sources" "$work/zip-b"
zip_a=$(ls "$work"/zip-a/*.zip)
zip_b=$(ls "$work"/zip-b/*.zip)
if cmp "$zip_a" "$zip_b"; then
    echo "zip identical: $(basename "$zip_a")"
else
    echo "zip differs between the two packagings"
    status=1
fi
exit $status
