#!/bin/bash
# make bench: runs bench/bench.cpp's program under Wine and writes the table to
# docs/performance.md. The program, its wineserver and the display share one
# CPU: unpinned, a wineserver round trip costs ~3 µs or ~50 µs from run to run.
#   scripts/bench.sh BUILD
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
win=$(scripts/wine-build.sh "$build" bench)

export MIRN_BENCH_DATE=$(date -u '+%Y-%m-%d %H:%M UTC')
export MIRN_BENCH_MACHINE=$(uname -a)
export MIRN_BENCH_CPU="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) CPU(s) online"
if [ "$(scripts/wine-arch)" = win64 ]; then
    export MIRN_BENCH_WINE="$(/usr/lib/wine/wine64 --version), 64-bit loader: the 64-bit build stands in (this machine runs no 32-bit code)"
else
    export MIRN_BENCH_WINE=$(wine --version)
fi
export MIRN_BENCH_LOAD=$(cut -d' ' -f1-3 /proc/loadavg)
mkdir -p docs
out="$(pwd)/docs/performance.md"
export MIRN_BENCH_OUT="Z:${out//\//\\}"

timeout 300 taskset -c 0 scripts/wine-session.sh "$win" wine "$win/bin/bench.exe"
echo "written: docs/performance.md"
