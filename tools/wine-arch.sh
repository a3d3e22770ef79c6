#!/usr/bin/env bash
# Prints the Wine architecture this machine can run: win32 where the kernel
# runs 32-bit Linux programs (32-bit Wine needs them), win64 where it does not
# (some virtual machines boot with 32-bit emulation switched off). The build
# and the tests follow it: win32 builds and tests the i686 binaries we ship;
# win64 builds and tests the same sources as x86_64 binaries, since nothing
# 32-bit can run there. REELWRIGHT_WINE_ARCH overrides the choice.
set -u
if [ -n "${REELWRIGHT_WINE_ARCH:-}" ]; then
    echo "$REELWRIGHT_WINE_ARCH"
elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win32
else
    echo win64
fi
