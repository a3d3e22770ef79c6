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
# The program is the process of this prefix whose own name (the first word
# of its command line, a Unix or a Windows path) is the program's file name.
prefix=${WINEPREFIX:-$(cd "$here/.." && pwd)/build/wineprefix}
exe_name=$(basename "$exe")
program_pids() {
    local dir argv0
    for dir in /proc/[0-9]*; do
        argv0=$(tr '\0' '\n' <"$dir/cmdline" 2>/dev/null | head -n 1) || continue
        argv0=${argv0##*[\\/]}
        [ "${argv0,,}" = "${exe_name,,}" ] || continue
        tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
        echo "${dir#/proc/}"
    done
}
stop() {
    local status=$? pids
    kill "$program" 2>/dev/null || true
    pids=$(program_pids)
    [ -z "$pids" ] || kill $pids 2>/dev/null || true
    for _ in $(seq 50); do
        pids=$(program_pids)
        [ -n "$pids" ] || break
        sleep 0.2
    done
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    # A program left running would hold Wine's desktop for the next run.
    if [ -n "$(program_pids)" ]; then
        echo "screenshot: $exe_name is still running" >&2
        exit 1
    fi
    exit "$status"
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
