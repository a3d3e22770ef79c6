#!/usr/bin/env bash
# Starts reelwright.exe on a project on Wine's desktop under the current X
# display, saves a picture of the desktop, and ends the program.
# Usage: screenshot.sh <reelwright.exe> <project.seq> <picture.png> [<action>...]
# Actions, done in order a second apart before the picture is taken: a key
# (xdotool's names: Down, space, alt+Up...), "click X Y" (the left button at
# a point of the desktop) or "wait N" (N seconds more). The prefix is
# WINEPREFIX, as for tools/wine.sh.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$1 project=$2 picture=$3
shift 3
: "${DISPLAY:?screenshot.sh needs an X display (tools/with-display.sh gives one)}"
mkdir -p "$(dirname "$picture")"
winproject=$("$here/wine.sh" winepath -w "$project" 2>/dev/null | tr -d '\r')
# Wine's own desktop gives the windows their frames and captions.
"$here/wine.sh" explorer /desktop=reelwright,1024x768 "$exe" "$winproject" >/dev/null 2>&1 &
program=$!
# The desktop and the program it started are separate processes: end both.
# The program is found by its Windows path, which only its own Wine process
# carries on its command line.
winexe=$("$here/wine.sh" winepath -w "$exe" 2>/dev/null | tr -d '\r')
stop() {
    kill "$program" 2>/dev/null || true
    for cmdline in /proc/[0-9]*/cmdline; do
        if tr '\0' ' ' <"$cmdline" 2>/dev/null | grep -qF "$winexe"; then
            pid=${cmdline#/proc/}
            kill "${pid%/cmdline}" 2>/dev/null || true
        fi
    done
    wait "$program" 2>/dev/null || true
}
trap stop EXIT
title="reelwright - Wine desktop"
for _ in $(seq 120); do
    if xdotool search --name "$title" >/dev/null 2>&1; then
        break
    fi
    sleep 0.5
done
desktop=$(xdotool search --name "$title" 2>/dev/null | head -1)
if [ -z "$desktop" ]; then
    echo "screenshot: Wine's desktop did not appear" >&2
    exit 1
fi
sleep 4     # the program starts, loads the project and paints
# Through the XTEST extension, as a keyboard and a mouse would: Wine
# ignores events sent to a window.
while [ $# -gt 0 ]; do
    case $1 in
        wait)  sleep "$2"; shift 2; continue ;;
        click) xdotool mousemove --window "$desktop" "$2" "$3" click 1; shift 3 ;;
        *)     xdotool key "$1"; shift ;;
    esac
    sleep 1
done
import -window "$desktop" "$picture"
echo "screenshot: $picture"
