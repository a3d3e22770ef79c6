#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix
# (build/wineprefix unless WINEPREFIX is set), creating the prefix on first use.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(cd "$here/.." && pwd)/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
"$here/make-prefix.sh"
exec wine "$@"
