#!/bin/bash
# make dist: builds the plug-in from a fresh build folder of its own and packs
# dist/vis_mirn-<version>.zip (the DLL, README.md, LICENSE, SHA256SUMS).
# The DLL and the zip are reproducible: same sources, same bytes.
#   scripts/dist.sh                              build and pack
#   scripts/dist.sh --package DLL SOURCE OUTDIR  pack only (used by the test)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

# Fixed names, times, modes and order, and no extra fields: the zip depends
# only on the bytes of the files in it.
package() {  # package DLL SOURCE OUTDIR
    local dll=$1 source=$2 out=$3 version stage name
    version=$(tr -d ' \r\n' <"$source/VERSION")
    name="vis_mirn-$version.zip"
    stage=$(mktemp -d)
    cp "$dll" "$stage/vis_mirn.dll"
    cp "$source/README.md" "$source/LICENSE" "$stage/"
    (cd "$stage" && LC_ALL=C sha256sum LICENSE README.md vis_mirn.dll >SHA256SUMS)
    chmod 644 "$stage"/*
    TZ=UTC touch -d '1980-01-01 00:00:00' "$stage"/*
    mkdir -p "$out"
    rm -f "$out/$name"
    (cd "$stage" && TZ=UTC zip -X -D -q "$out/$name" LICENSE README.md SHA256SUMS vis_mirn.dll)
    rm -rf "$stage"
    echo "$out/$name"
}

if [ "${1:-}" = "--package" ]; then
    [ $# -eq 4 ] || { echo "usage: $0 --package DLL SOURCE OUTDIR" >&2; exit 2; }
    package "$(realpath "$2")" "$(realpath "$3")" "$(mkdir -p "$4" && realpath "$4")"
    exit 0
fi

cd "$root"
build="$root/build-dist"
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vis_mirn -j"${JOBS:-2}"
zip=$(package "$build/bin/vis_mirn.dll" "$root" "$root/dist")
echo "$zip"
(cd "$(mktemp -d)" && unzip -q "$zip" && sha256sum -c --quiet SHA256SUMS && echo "SHA256SUMS verified" && rm -rf "$PWD")
unzip -v "$zip" | sed -n '1,8p'
