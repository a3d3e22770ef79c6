#!/usr/bin/env bash
# Removes the GIF handler from a Wine prefix: the .gif association (only when
# it names our class) and the class registration. Safe to run again.
# Usage: uninstall-handler.sh [path/to/loomcast.dll]; the prefix is WINEPREFIX.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build=${BUILD_DIR:-$top/build}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
dll=${1:-$build/gifhandler/loomcast.dll}
clsid='{1C649FA4-A1DB-11CF-C000-000000000046}'

# Another handler's association is not ours to remove.
assoc=$("$here/wine.sh" reg query 'HKCR\AVIFile\Extensions\GIF' /ve 2>/dev/null | tr -d '\r' || true)
if grep -qiF "$clsid" <<<"$assoc"; then
    "$here/wine.sh" reg delete 'HKCR\AVIFile\Extensions\GIF' /f >/dev/null
fi

# The library removes its own keys when it can still be loaded; a class key
# left behind (library deleted, or already unregistered) is removed directly.
if [ -f "$dll" ]; then
    dll=$(realpath "$dll")
    "$here/wine.sh" regsvr32 /s /u "Z:${dll//\//\\}" || true
fi
if "$here/wine.sh" reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1; then
    "$here/wine.sh" reg delete "HKCR\\CLSID\\$clsid" /f >/dev/null
fi
if "$here/wine.sh" reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1; then
    echo "uninstall-handler: could not remove $clsid from $WINEPREFIX" >&2
    exit 1
fi
echo "uninstall-handler: .gif handler removed from $WINEPREFIX"
