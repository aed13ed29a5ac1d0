#!/bin/sh
# Installs the system packages the build and the tests need, once: a no-op
# when everything is present. Debian 12, as root.
set -e
PACKAGES="wine wine32:i386 wine64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix xvfb xauth xdotool cmake make g++ googletest \
fonts-dejavu-core fonts-wqy-zenhei fonts-symbola imagemagick xcompmgr clang libclang-rt-14-dev zip"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
# A mirror in the middle of a sync fails one index; what was fetched still
# serves, so go on and let the install say whether it is enough.
$SUDO apt-get update -qq || echo "apt-get update failed; trying with the indexes it has"
install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get "$@" install -y -qq --no-install-recommends $missing; }
install && exit 0
# The i386 and amd64 halves of a library must have one version: with one
# architecture's security index missing, take both from the main archive.
main=$(mktemp -d)
trap 'rm -rf "$main"' EXIT
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && awk 'BEGIN { RS = ""; ORS = "\n\n" } /deb\.debian\.org\/debian([ \n]|$)/ && !/security/' "$f"
done >"$main/main.sources"
echo "retrying from the main archive alone"
install -o Dir::Etc::SourceParts="$main" -o Dir::Etc::SourceList=/dev/null
