#!/usr/bin/env bash
# Sets up and builds everything, installs loomcast.dll into the Wine prefix,
# and writes a demonstration animation through it, saying where it went.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/tools/setup.sh"
export WINEPREFIX="$build/wineprefix"

# Install: the library and the demo program go to C:\Program Files\Reelwright.
install_dir="$WINEPREFIX/drive_c/Program Files/Reelwright"
mkdir -p "$install_dir"
cp "$build/gifhandler/loomcast.dll" "$build/tools/gifdemo/gifdemo.exe" "$install_dir/"
echo "run: installed loomcast.dll into C:\\Program Files\\Reelwright ($install_dir)"

mkdir -p "$build/demo"
out="$build/demo/demo.gif"
"$top/tools/wine.sh" "C:\\Program Files\\Reelwright\\gifdemo.exe" \
    "C:\\Program Files\\Reelwright\\loomcast.dll" "$(winepath -w "$out" 2>/dev/null)"
echo "run: the demo animation is $out"
