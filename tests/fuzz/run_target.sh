#!/bin/bash
# run_target.sh EXE SEEDS WORKDIR SECONDS
# Fuzzes EXE for SECONDS on a fresh copy of SEEDS inside WORKDIR; a crash
# input lands in WORKDIR/artifacts. Exit status is the fuzzer's.
set -eu
exe=$1; seeds=$2; work=$3; seconds=$4
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/"
exec "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus"
