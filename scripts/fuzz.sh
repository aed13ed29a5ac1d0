#!/bin/bash
# fuzz.sh BUILD SECONDS: runs every libFuzzer target SECONDS each (default
# 60), growing a corpus under BUILD/fuzz/corpus/<target> that starts from
# the checked-in seeds. One line per target; fails if any target failed.
set -u
build=${1:-build}
seconds=${2:-}
seconds=${seconds:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
native=$build/native
bin=$native/tests/fuzz/bin
out=$build/fuzz

cmake --build "$native" --target fuzz_targets -j1 >/dev/null || { echo "fuzz: build failed"; exit 1; }
mkdir -p "$out/corpus" "$out/logs" "$out/artifacts"

failed=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
    t=$(basename "$seeds")
    exe=$bin/fuzz_$t
    if [ ! -x "$exe" ]; then echo "$t: FAILED (no executable $exe)"; failed=$((failed + 1)); continue; fi
    corpus=$out/corpus/$t
    mkdir -p "$corpus" "$out/artifacts/$t"
    cp -n "$seeds"* "$corpus/" 2>/dev/null
    log=$out/logs/$t.log
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$t/" "$corpus" >"$log" 2>&1
    rc=$?
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | awk '{print $2}')
    files=$(find "$corpus" -type f | wc -l)
    if [ "$rc" -eq 0 ]; then
        printf '%-14s ok      %10s runs  cov %-5s corpus %5s files\n' "$t" "${runs:-?}" "${cov:-?}" "$files"
    else
        crash=$(ls -t "$out/artifacts/$t" 2>/dev/null | head -n 1)
        printf '%-14s FAILED  exit %s  input %s  log %s\n' "$t" "$rc" "${crash:+$out/artifacts/$t/$crash}" "$log"
        failed=$((failed + 1))
    fi
done
[ "$failed" -eq 0 ]
