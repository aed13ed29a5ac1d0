#!/bin/bash
# Builds the Windows programs that Wine runs on this machine and prints
# their build folder: BUILD/win32, or BUILD/win64 where 32-bit code cannot
# run (see scripts/wine-arch). The 64-bit folder also gets the real 32-bit
# plug-in as vis_mirn_x86.dll, so the tests still check its tables.
#   scripts/wine-build.sh BUILD [target...]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}; shift || true
targets=()
for t in "$@"; do targets+=(--target "$t"); done
win=$build/win32
if [ "$(scripts/wine-arch)" = win64 ]; then
    cmake --build "$win" --target vis_mirn -j"${JOBS:-2}" >&2
    win=$build/win64
    [ -f "$win/CMakeCache.txt" ] ||
        cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >&2
    cmake --build "$win" "${targets[@]}" -j"${JOBS:-2}" >&2
    cp "$build/win32/bin/vis_mirn.dll" "$win/bin/vis_mirn_x86.dll"
else
    cmake --build "$win" "${targets[@]}" -j"${JOBS:-2}" >&2
fi
echo "$win"
