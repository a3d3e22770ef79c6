#!/usr/bin/env bash
# Sets up and builds everything, installs loomcast.dll into the Wine prefix as
# the .gif handler of AVIFile, and writes a demonstration animation through
# AVIFile, saying where it went.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/tools/setup.sh"
export WINEPREFIX="$build/wineprefix"

# Install into C:\Program Files\Reelwright and register from there.
install_dir="$WINEPREFIX/drive_c/Program Files/Reelwright"
mkdir -p "$install_dir"
cp "$build/gifhandler/loomcast.dll" "$build/tools/gifdemo/gifdemo.exe" "$install_dir/"
"$top/tools/install-handler.sh" "$install_dir/loomcast.dll"

mkdir -p "$build/demo"
out="$build/demo/demo.gif"
"$top/tools/wine.sh" "C:\\Program Files\\Reelwright\\gifdemo.exe" "$("$top/tools/wine.sh" winepath -w "$out" 2>/dev/null | tr -d '\r')"
echo "run: the demo animation is $out"
