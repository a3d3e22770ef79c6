#!/usr/bin/env bash
# Installs what is missing, configures and builds everything into build/,
# and creates the Wine prefix. Safe to run again; quick when up to date.
#
# build/ holds the binaries this machine can run and test: i686, the ones we
# ship, where 32-bit programs run; x86_64 where they cannot (see
# tools/wine-arch.sh). In the second case the shipped i686 binaries are built
# as well, tests included, into build/i686, so that both trees always compile
# whole: a fault that only the 32-bit compiler sees (a CALLBACK taken as a
# lambda) fails here too, not only on a machine that can run the result.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}

"$top/tools/install-deps.sh"

arch=$("$top/tools/wine-arch.sh")
case $arch in
    win32) cpu=i686 ;;
    *)     cpu=x86_64 ;;
esac

configure() {   # configure <build dir> <cpu> [extra cmake arguments]
    local dir=$1 want=$2
    shift 2
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "toolchain-$want-mingw32.cmake" "$dir/CMakeCache.txt"; then
        echo "setup: $dir was configured for another processor; configuring it anew" >&2
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$dir" \
            -DCMAKE_TOOLCHAIN_FILE="$top/tools/toolchain-$want-mingw32.cmake" \
            -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    fi
}

if [ "$cpu" = x86_64 ]; then
    echo "setup: this machine cannot run 32-bit programs; building and testing x86_64 binaries," \
         "and the shipped i686 ones into $build/i686" >&2
fi
configure "$build" "$cpu"
cmake --build "$build" -j"$(nproc)" -- --no-print-directory >/dev/null \
    || cmake --build "$build" -j1   # show the errors in full

if [ "$cpu" = x86_64 ]; then
    configure "$build/i686" i686
    # An i686 tree configured by an older setup may have left its tests out.
    grep -q '^BUILD_TESTING:BOOL=ON' "$build/i686/CMakeCache.txt" || cmake -DBUILD_TESTING=ON "$build/i686" >/dev/null
    cmake --build "$build/i686" -j"$(nproc)" -- --no-print-directory >/dev/null \
        || cmake --build "$build/i686" -j1
fi

WINEPREFIX="$build/wineprefix" WINEARCH=$arch "$top/tools/make-prefix.sh"
