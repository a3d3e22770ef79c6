#!/usr/bin/env bash
# Runs a Windows test program as if on a nearly full disk: every file it
# writes fails past 64 KiB. The Wine server is started first, without the
# limit, so that the prefix's own files are never cut short; SIGXFSZ is
# ignored so that a write past the limit fails instead of ending the program.
# Usage: run-with-file-limit.sh <program.exe> [arguments...]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix}
"$top/tools/make-prefix.sh"
# Stays for a few seconds after its last client, long enough for ours to
# connect; a server already running is left as it is.
wineserver -p5 2>/dev/null || true
trap '' XFSZ
ulimit -f 64
exec "$top/tools/wine.sh" "$@"
