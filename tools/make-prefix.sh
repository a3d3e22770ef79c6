#!/usr/bin/env bash
# Creates the 32-bit Wine prefix named by WINEPREFIX once; later calls return
# at once. A lock keeps parallel test runs from initialising it twice.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
[ -f "$WINEPREFIX/.reelwright-ready" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.reelwright-ready" ] && exit 0
echo "make-prefix: creating Wine prefix $WINEPREFIX" >&2
wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "make-prefix: wineboot failed" >&2; exit 1; }
# A crashing program ends at once with an error instead of waiting in Wine's
# debugger, so that a faulty test fails rather than hangs until its timeout.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d '' /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.reelwright-ready"
