#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix
# (build/wineprefix unless WINEPREFIX is set), creating the prefix on first use.
# The Wine loader matches the prefix: 32-bit Wine for a win32 prefix, 64-bit
# Wine for a win64 one (tools/wine-arch.sh tells which this machine can run).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(cd "$here/.." && pwd)/build/wineprefix}
export WINEARCH=${WINEARCH:-$("$here/wine-arch.sh")}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
"$here/make-prefix.sh"
if [ "$WINEARCH" = win64 ]; then
    # /usr/bin/wine would pick the 32-bit loader whenever it is installed.
    export WINELOADER=/usr/lib/wine/wine64
    exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
