#!/usr/bin/env bash
# Installs, as root on a Debian machine, every package the build and the tests
# need: the mingw-w64 cross compilers (i686, and x86_64 for machines that
# cannot run 32-bit programs), 32-bit and 64-bit Wine, an X server for
# windows (with Wine's own fonts, without which a caption's buttons are drawn
# as letters), GoogleTest sources, and the host-side tools the tests decode with.
# Quick when everything is already there.
set -euo pipefail

packages=(
    g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
    g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine32:i386 wine64 xvfb xauth fonts-wine
    cmake make googletest nsis
    giflib-tools libgif-dev g++ python3 python3-pil imagemagick ffmpeg gifsicle xdotool x11-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
