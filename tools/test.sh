#!/usr/bin/env bash
# Sets up, builds and runs every test (Windows programs under Wine, host-side
# decoders) with ctest. Extra arguments go to ctest, e.g. -R encoder.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/tools/setup.sh"
cd "$build"
export WINEPREFIX="$build/wineprefix"
"$top/tools/with-display.sh" ctest --output-on-failure -j"$(nproc)" "$@"
