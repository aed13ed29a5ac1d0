#!/bin/bash
# Runs a command inside a headless Wine session: its own prefix under
# the build tree, a private Xvfb display, one persistent wineserver and an
# idle GUI process, so that each test program starts fast and quietly.
#   scripts/wine-session.sh BUILD_DIR command [args...]
# With WINE_LOGPIXELS=N the display scale is N DPI (144 for 150 %), in a
# prefix of its own so that every other session stays at 96.
set -eu
build=$(realpath "$1"); shift

export WINEPREFIX="$build/wineprefix${WINE_LOGPIXELS:+-$WINE_LOGPIXELS}"
export WINEARCH=$("$(dirname "$0")/wine-arch")
if [ "$WINEARCH" = win64 ]; then
    # The wine and wine-stable scripts pick the 32-bit loader whenever it is
    # installed, even where it cannot run: put the 64-bit one first.
    shim="$build/wine64-shim"
    mkdir -p "$shim"
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
        chmod +x "$shim/$name"
    done
    export PATH="$shim:$PATH" WINELOADER=/usr/lib/wine/wine64
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

pids=()
readonly_view=""
cleanup() {
    wineserver -k 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    if [ -n "$readonly_view" ]; then
        umount "$readonly_view" 2>/dev/null || true
        rmdir "$readonly_view" 2>/dev/null || true
        rm -f "$WINEPREFIX/dosdevices/r:"
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ "${WINE_SESSION_HEADLESS:-1}" = 1 ]; then
    fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 4 -nolisten tcp -screen 0 1280x1024x24 4>"$fifo" >/dev/null 2>&1 &
    pids+=($!)
    read -r display <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$display"
    # Layered windows blend partial alpha correctly only under a compositing
    # manager; without -c, which would add shadows.
    if [ "${WINE_SESSION_COMPOSITOR:-0}" = 1 ]; then
        xcompmgr -d "$DISPLAY" -n >/dev/null 2>&1 &
        pids+=($!)
    fi
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Without a window manager every close would wait ~2 s.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    if [ -n "${WINE_LOGPIXELS:-}" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$WINE_LOGPIXELS" /f >/dev/null 2>&1
    fi
    wineserver -w
fi

# Drive R: is a read-only view of drive C:, so that a test can load the
# plug-in from a folder it cannot write: root ignores permission bits and
# read-only attributes, but not a read-only mount. Outside the build tree,
# so that removing it never reaches through the view.
readonly_view=$(mktemp -d /tmp/mirn-readonly.XXXXXX)
if mount --bind "$WINEPREFIX/drive_c" "$readonly_view" 2>/dev/null &&
    mount -o remount,ro,bind "$readonly_view" 2>/dev/null; then
    ln -sfn "$readonly_view" "$WINEPREFIX/dosdevices/r:"
else
    umount "$readonly_view" 2>/dev/null || true
    rm -f "$WINEPREFIX/dosdevices/r:"
    echo "wine-session: no read-only view (mount refused); tests of read-only folders will fail" >&2
fi

wineserver -p
# Wine's desktop and service processes outlive the program that started them
# and keep its pipes: start them from a quiet program and wait until they run.
ready="$build/wine-idle.ready"
rm -f "$ready"
wine "$build/bin/wine_idle.exe" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -e "$ready" ] && break; sleep 0.1; done

"$@"
