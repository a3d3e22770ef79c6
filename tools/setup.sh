#!/usr/bin/env bash
# Installs what is missing, configures and builds everything into build/,
# and creates the Wine prefix. Safe to run again; quick when up to date.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}

"$top/tools/install-deps.sh"

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$top/tools/toolchain-i686-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" -- --no-print-directory >/dev/null \
    || cmake --build "$build" -j1   # show the errors in full

WINEPREFIX="$build/wineprefix" "$top/tools/make-prefix.sh"
