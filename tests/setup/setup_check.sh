#!/usr/bin/env bash
# The setup program in a fresh Wine prefix, as a person would use it:
# a silent install, the files, shortcut, uninstall entry and registry keys it
# leaves, a GIF written through AVIFile by an outside program (the handler
# found through the association), an install over the first, the console
# program run from the install folder, then a silent uninstall and what it
# must remove and keep.
# Usage: setup_check.sh <setup.exe> <gifdemo.exe> <gifdump> <work folder> <with console 0|1> [<demo folder>]
set -euo pipefail
setup=$1 gifdemo=$2 gifdump=$3 work=$4 with_cli=$5 demo=${6:-}
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)
export WINEPREFIX=$work/prefix
rm -rf "$work"
mkdir -p "$work"

clsid='{1C649FA4-A1DB-11CF-C000-000000000046}'
other_clsid='{00000000-1111-2222-3333-444444444444}'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Reelwright'
install_dir="$WINEPREFIX/drive_c/Program Files/Reelwright"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Reelwright/Reelwright.lnk"
failures=0

wine() { "$tools/wine.sh" "$@"; }
check() {   # check <what> <command...>
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}
# The data of a registry value (the default value without a name).
reg_get() {
    local args=(/ve)
    [ $# -gt 1 ] && args=(/v "$2")
    wine reg query "$1" "${args[@]}" 2>/dev/null | tr -d '\r' \
        | awk '/REG_/ { sub(/^.*REG_[A-Z_]+[ \t]+/, ""); print; exit }'
}
equals() { [ "$1" = "$2" ] || { echo "  wanted: $2" >&2; echo "  found:  $1" >&2; false; }; }
contains() { [[ "$1" == *"$2"* ]] || { echo "  \"$1\" lacks \"$2\"" >&2; false; }; }
reads_gif() { "$gifdump" "$1" >/dev/null; }
no_key() { ! wine reg query "$1" >/dev/null 2>&1; }
finish_uninstall() {
    # The uninstaller copies itself to a temporary folder and runs from there.
    wine "C:\\Program Files\\Reelwright\\uninstall.exe" /S
    for _ in $(seq 40); do
        [ -e "$install_dir/uninstall.exe" ] || break
        sleep 0.5
    done
    WINEPREFIX=$WINEPREFIX wineserver -w
}

winsetup=$(wine winepath -w "$setup" | tr -d '\r')
echo "setup_check: installing $setup silently into $WINEPREFIX"
wine "$winsetup" /S
WINEPREFIX=$WINEPREFIX wineserver -w

ours=(reelwright.exe loomcast.dll ReadMe.txt uninstall.exe)
[ "$with_cli" = 1 ] && ours+=(reelwright-cli.exe)
for file in "${ours[@]}"; do
    check "installed $file" test -f "$install_dir/$file"
done
check "Start menu shortcut" test -f "$shortcut"
check "uninstall entry: name" equals "$(reg_get "$uninstall_key" DisplayName)" "Reelwright"
check "uninstall entry: version" equals "$(reg_get "$uninstall_key" DisplayVersion)" "1.0.0.0"
check "uninstall entry: publisher" equals "$(reg_get "$uninstall_key" Publisher)" "Reelwright"
check "uninstall entry: location" equals "$(reg_get "$uninstall_key" InstallLocation)" 'C:\Program Files\Reelwright'
check "uninstall entry: command" equals "$(reg_get "$uninstall_key" UninstallString)" '"C:\Program Files\Reelwright\uninstall.exe"'
check "uninstall entry: size" test -n "$(reg_get "$uninstall_key" EstimatedSize)"
check "handler class" equals "$(reg_get "HKCR\\CLSID\\$clsid\\InprocServer32")" 'C:\Program Files\Reelwright\loomcast.dll'
check ".gif association" equals "$(reg_get 'HKCR\AVIFile\Extensions\GIF')" "$clsid"

# An outside program writing through AVIFile reaches the installed handler.
gif=$work/through-avifile.gif
wine "$gifdemo" "$(wine winepath -w "$gif" | tr -d '\r')" >/dev/null
check "GIF written through AVIFile decodes" bash -c "'$gifdump' '$gif' | grep -q '^screen 320 240'"

# Installing over the first install keeps everything working.
wine "$winsetup" /S
WINEPREFIX=$WINEPREFIX wineserver -w
check "second install: handler still registered" \
    equals "$(reg_get "HKCR\\CLSID\\$clsid\\InprocServer32")" 'C:\Program Files\Reelwright\loomcast.dll'
rm -f "$gif"
wine "$gifdemo" "$(wine winepath -w "$gif" | tr -d '\r')" >/dev/null
check "second install: GIF written" test -s "$gif"

if [ "$with_cli" = 1 ] && [ -n "$demo" ] && [ -f "$demo/demo.seq" ]; then
    windemo=$(wine winepath -w "$demo/demo.seq" | tr -d '\r')
    out=$(wine "C:\\Program Files\\Reelwright\\reelwright-cli.exe" show "$windemo" 2>&1 | tr -d '\r' || true)
    check "console program shows the demo project" contains "$out" "walk"
    # No display at all: a Wine session of its own, started without one.
    nodisplay=$work/nodisplay.gif
    winnodisplay=$(wine winepath -w "$nodisplay" | tr -d '\r')
    WINEPREFIX=$WINEPREFIX wineserver -k || true
    WINEPREFIX=$WINEPREFIX wineserver -w
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY "$tools/wine.sh" "C:\\Program Files\\Reelwright\\reelwright-cli.exe" \
        animate "$windemo" --output "$winnodisplay" >/dev/null 2>&1 || status=$?
    check "console program animates without a display: exit 0" equals "$status" 0
    check "console program animates without a display: giflib reads it" reads_gif "$nodisplay"
    WINEPREFIX=$WINEPREFIX wineserver -k || true
    WINEPREFIX=$WINEPREFIX wineserver -w
fi

# Files of the user's beside ours stay.
echo "mine" >"$install_dir/my-notes.txt"
finish_uninstall
for file in "${ours[@]}"; do
    check "uninstalled $file" test ! -e "$install_dir/$file"
done
check "the user's file stays" test -f "$install_dir/my-notes.txt"
check "shortcut removed" test ! -e "$shortcut"
check "uninstall entry removed" no_key "$uninstall_key"
check "handler class removed" no_key "HKCR\\CLSID\\$clsid"
check ".gif association removed" no_key 'HKCR\AVIFile\Extensions\GIF'

# Another handler's association is not ours to remove.
wine "$winsetup" /S
WINEPREFIX=$WINEPREFIX wineserver -w
wine reg add 'HKCR\AVIFile\Extensions\GIF' /ve /d "$other_clsid" /f >/dev/null
finish_uninstall
check "another class's .gif association kept" equals "$(reg_get 'HKCR\AVIFile\Extensions\GIF')" "$other_clsid"
check "handler class removed again" no_key "HKCR\\CLSID\\$clsid"

if [ "$failures" -ne 0 ]; then
    echo "setup_check: $failures check(s) failed" >&2
    exit 1
fi
echo "setup_check: every check passed"
