#!/bin/bash
# Runs every test: the native rules, then the Windows programs under Wine.
# Ends with one line "N passed, N failed" and fails if anything failed.
set -u
build=${1:-build}
passed=0; failed=0

count() {  # adds ctest's "x tests failed out of y" to the totals
    local line total bad
    line=$(grep -E 'tests failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* tests failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad)); failed=$((failed + bad))
}

log=$(mktemp -d)
(cd "$build/native" && ctest --output-on-failure -j2) 2>&1 | tee "$log/native"
count "$log/native"
win=$(scripts/wine-build.sh "$build")
scripts/wine-session.sh "$win" \
    bash -c "cd '$win' && ctest --output-on-failure -j2 -LE 'dpi144|compositor'" 2>&1 | tee "$log/win32"
count "$log/win32"
# The display-scale tests, at 150 % in a prefix of their own.
WINE_LOGPIXELS=144 scripts/wine-session.sh "$win" \
    bash -c "cd '$win' && ctest --output-on-failure -L dpi144" 2>&1 | tee "$log/dpi144"
count "$log/dpi144"
# Transparent windows on screen, in a session with a compositing manager.
WINE_SESSION_COMPOSITOR=1 scripts/wine-session.sh "$win" \
    bash -c "cd '$win' && ctest --output-on-failure -L compositor" 2>&1 | tee "$log/compositor"
count "$log/compositor"
rm -rf "$log"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
