#!/usr/bin/env bash
# Sets up and builds everything, installs reelwright.exe and loomcast.dll
# into the Wine prefix (loomcast registered as AVIFile's .gif handler), makes
# the demonstration project and starts the program on it. With a display the
# program stays open for you; without one it runs under a private X server,
# a picture of its main window is saved, and it ends.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/tools/setup.sh"
export WINEPREFIX="$build/wineprefix"

install_dir="$WINEPREFIX/drive_c/Program Files/Reelwright"
mkdir -p "$install_dir"
cp "$build/gifhandler/loomcast.dll" "$build/app/reelwright.exe" "$install_dir/"
"$top/tools/install-handler.sh" "$install_dir/loomcast.dll"

demo="$build/demo"
/usr/bin/python3 "$top/tools/make-demo.py" "$demo" "$(command -v ffmpeg)" >/dev/null
/usr/bin/python3 "$top/tools/make-demo-project.py" "$demo" \
    "$("$top/tools/wine.sh" winepath -w "$demo" 2>/dev/null | tr -d '\r')" >/dev/null
echo "run: demo project $demo/demo.seq"

exe="$install_dir/reelwright.exe"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "run: starting $exe"
    exec "$top/tools/wine.sh" "$exe" "$("$top/tools/wine.sh" winepath -w "$demo/demo.seq" | tr -d '\r')"
fi
shots="$build/screenshots"
"$top/tools/with-display.sh" "$top/tools/screenshot.sh" "$exe" "$demo/demo.seq" "$shots/main-window.png"
# The preview pane: a click on the demo's balloon.bmp, and Play (Space) a
# second after a click on its movie. The points are the tree's rows as the
# main window first opens on Wine's 1024x768 desktop.
"$top/tools/with-display.sh" "$top/tools/screenshot.sh" "$exe" "$demo/demo.seq" "$shots/preview-picture.png" \
    click 150 139
"$top/tools/with-display.sh" "$top/tools/screenshot.sh" "$exe" "$demo/demo.seq" "$shots/preview-playing.png" \
    click 150 123 space wait 1
echo "run: no display here; the main window with the demo project is pictured in $shots/main-window.png," \
     "the preview pane in preview-picture.png and preview-playing.png beside it"
