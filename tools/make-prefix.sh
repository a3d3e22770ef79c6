#!/usr/bin/env bash
# Creates the Wine prefix named by WINEPREFIX once, 32- or 64-bit as WINEARCH
# (or tools/wine-arch.sh) says; later calls return at once. A lock keeps
# parallel test runs from initialising it twice.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=${WINEARCH:-$("$here/wine-arch.sh")} WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Wine's own fonts (Marlett draws the caption buttons; without it they show
# as the letters "0 1 r") in the prefix's Fonts folder: this Wine does not
# find them in its data folder by itself. Also for prefixes made earlier.
copy_wine_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
    fi
}
if [ -f "$WINEPREFIX/.reelwright-ready" ]; then
    copy_wine_fonts
    exit 0
fi
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.reelwright-ready" ] && exit 0
loader=wine
if [ "$WINEARCH" = win64 ]; then
    loader=/usr/lib/wine/wine64
    export WINELOADER=$loader
fi
echo "make-prefix: creating $WINEARCH Wine prefix $WINEPREFIX" >&2
"$loader" wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "make-prefix: wineboot failed" >&2; exit 1; }
# A crashing program ends at once with an error instead of waiting in Wine's
# debugger, so that a faulty test fails rather than hangs until its timeout.
"$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d '' /f >/dev/null 2>&1
wineserver -w
copy_wine_fonts
touch "$WINEPREFIX/.reelwright-ready"
