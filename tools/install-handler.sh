#!/usr/bin/env bash
# Installs the GIF handler into a Wine prefix: registers loomcast.dll as a COM
# server (regsvr32) and associates the .gif extension with its class for
# AVIFile. Safe to run again. Usage: install-handler.sh [path/to/loomcast.dll]
# (default: the build tree's); the prefix is WINEPREFIX, as for tools/wine.sh.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$top/build}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
dll=$(realpath "${1:-$build/gifhandler/loomcast.dll}")
clsid='{1C649FA4-A1DB-11CF-C000-000000000046}'

[ -f "$dll" ] || { echo "install-handler: $dll not found (build first)" >&2; exit 1; }

# Wine maps the Unix root to drive Z:.
windll="Z:${dll//\//\\}"
if ! "$here/wine.sh" regsvr32 /s "$windll"; then
    echo "install-handler: regsvr32 could not register $windll" >&2
    exit 1
fi
"$here/wine.sh" reg add 'HKCR\AVIFile\Extensions\GIF' /ve /d "$clsid" /f >/dev/null

# Check what AVIFile will read, rather than trust the tools' exit codes.
server=$("$here/wine.sh" reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 2>/dev/null | tr -d '\r')
assoc=$("$here/wine.sh" reg query 'HKCR\AVIFile\Extensions\GIF' /ve 2>/dev/null | tr -d '\r')
if ! grep -qiF "$windll" <<<"$server" || ! grep -qiF "$clsid" <<<"$assoc"; then
    echo "install-handler: registration not found in $WINEPREFIX" >&2
    exit 1
fi
echo "install-handler: $windll handles .gif in $WINEPREFIX"
