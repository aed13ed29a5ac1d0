#!/bin/bash
# make demo: builds the plug-in and the preview player and shows the real
# plug-in at work.
#   scripts/demo.sh BUILD_DIR
# Headless (no DISPLAY, or WINE_SESSION_HEADLESS=1, the default): runs the
# preview for about DEMO_SECONDS (15) under Wine on a private Xvfb and writes
# out/short-title.png, out/long-title-scrolling.png, out/style-{0,1,2}.png,
# out/settings-dialog.png, out/about-box.png, out/title-menu.png, out/outline.png,
# out/transparent.png, out/title-format.png, out/marquee.gif and out/back-and-forth.gif, and copies
# the first, the menu, the two looks and the GIFs to docs/; then, at 150 % (LogPixels 144) with the
# preview not DPI-aware, out/dpi-144.png, copied to docs/ too. With DISPLAY set and
# WINE_SESSION_HEADLESS=0: runs the preview on that display until closed.
set -eu
build=${1:-build}
win=$(scripts/wine-build.sh "$build" vis_mirn preview wine_idle)
mkdir -p dist && cp "$build/win32/bin/vis_mirn.dll" dist/vis_mirn.dll

if [ -n "${DISPLAY:-}" ] && [ "${WINE_SESSION_HEADLESS:-1}" = 0 ]; then
    # The DLL beside preview.exe; its plugin.ini keeps the settings between runs.
    exec scripts/wine-session.sh "$win" wine "$win/bin/preview.exe"
fi

# A fresh copy of the plug-in, so the run starts from an empty plugin.ini.
run=$(realpath -m "$build/demo")
rm -rf "$run"
mkdir -p "$run/plugin" "$run/shots" "$run/frames" out docs
cp "$win/bin/vis_mirn.dll" "$run/plugin/"

winpath() { echo "Z:${1//\//\\}"; }

start=$(date +%s%N)
# With a compositing manager, so the transparent title blends as on Windows.
WINE_SESSION_COMPOSITOR=1 scripts/wine-session.sh "$win" wine "$win/bin/preview.exe" \
    --seconds "${DEMO_SECONDS:-15}" \
    --shots "$(winpath "$run/shots")" \
    --frames "$(winpath "$run/frames")" \
    --config-shot "$(winpath "$run/shots")" \
    "$(winpath "$run/plugin/vis_mirn.dll")"
echo "preview ran $(( ($(date +%s%N) - start) / 1000000 )) ms"

# The same short title on a display at 150 %, in a player that is not
# DPI-aware: a prefix of its own, and a fresh plugin.ini.
mkdir -p "$run/plugin-144" "$run/shots-144"
cp "$win/bin/vis_mirn.dll" "$run/plugin-144/"
WINE_LOGPIXELS=144 scripts/wine-session.sh "$win" wine "$win/bin/preview.exe" --unaware \
    --seconds 4 --shots "$(winpath "$run/shots-144")" "$(winpath "$run/plugin-144/vis_mirn.dll")"

# No time stamps in the PNGs, so the same pictures give the same files.
png() { convert "$1" -strip -define png:exclude-chunks=date,time "$2"; }
for name in short-title long-title-scrolling style-0 style-1 style-2 settings-dialog about-box title-menu outline transparent \
    title-format script-japanese script-emoji script-hebrew; do
    png "$run/shots/$name.bmp" "out/$name.png"
done
# The three titles in other scripts, one above the other.
convert out/script-japanese.png out/script-emoji.png out/script-hebrew.png -background white -splice 0x4 -append \
    -strip -define png:exclude-chunks=date,time out/scripts.png
png "$run/shots-144/short-title.bmp" out/dpi-144.png
frames=("$run"/frames/frame-*.bmp)
convert -delay 4 -loop 0 "${frames[@]}" -layers Optimize out/marquee.gif
# Every other frame of back and forth: half the file, still smooth.
bounce=("$run"/frames/bounce-*.bmp)
half=()
for ((i = 0; i < ${#bounce[@]}; i += 2)); do half+=("${bounce[i]}"); done
convert -delay 8 -loop 0 "${half[@]}" -layers Optimize out/back-and-forth.gif

cp out/short-title.png docs/screenshot.png
cp out/marquee.gif docs/marquee.gif
cp out/back-and-forth.gif docs/back-and-forth.gif
cp out/title-menu.png docs/menu.png
cp out/outline.png docs/outline.png
cp out/transparent.png docs/transparent.png
cp out/dpi-144.png docs/dpi-144.png
cp out/scripts.png docs/scripts.png
cp out/title-format.png docs/title-format.png
echo "demo: ${#frames[@]} frames; wrote" out/*.png out/marquee.gif out/back-and-forth.gif docs/screenshot.png docs/marquee.gif docs/back-and-forth.gif docs/menu.png docs/outline.png docs/transparent.png docs/dpi-144.png docs/scripts.png docs/title-format.png
