#!/usr/bin/env bash
# The Windows installer, per user in a prefix of its own at 144 DPI: the
# Start-menu shortcuts (TELVOR, its guide), the .telvor type and its Open
# command (a folder's own lists, else those of Documents\TELVOR), the entry
# among the installed programs with its size; the window scaled to the DPI,
# with TELVOR's icons; uninstalled, nothing of it is left.
source "$(dirname "$0")/lib.sh"
msi=$(echo "$(dirname "$TELVOR_BIN")"/telvor-*.msi)
[[ -f $msi ]] || fail "no installer beside $TELVOR_BIN"
# Wine scales a program the same whether it declares its DPI awareness or not.
[[ $(wrestool -x --raw -t 24 "$TELVOR_BIN") == *'<dpiAwareness '*'>PerMonitorV2'* ]] || fail "telvor.exe declares no DPI awareness"
export HOME=$DIR/home WINEPREFIX=$DIR/wineprefix
mkdir -p "$HOME"
start_session
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >"$DIR/reg.log" 2>&1 || fail "LogPixels: status $?, $(<"$DIR/reg.log")"
wineserver -w   # read afresh by the programs that start now
users=$WINEPREFIX/drive_c/users/$(id -un)
snapshot() {
    (cd "$users" && find . | sort)
    wine reg query 'HKCU\Software' /s 2>/dev/null | tr -d '\r' | grep '^HKEY' | grep -v '^HKEY_CURRENT_USER\\Software\\Wine' | sort
    wine uninstaller --list 2>/dev/null | tr -d '\r'
}
installer_own='^(\./AppData/Roaming/Microsoft/Installer|HKEY_CURRENT_USER\\Software\\Microsoft\\Installer(\\(Features|Products|UpgradeCodes))?)$'
before=$(snapshot)
wine msiexec /i "$(native_path "$msi")" /qn >"$DIR/msiexec.log" 2>&1 || fail "msiexec /i: $(<"$DIR/msiexec.log")"
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TELVOR.lnk"
[[ -f $shortcut ]] || fail "no Start-menu shortcut"
installed=$users/AppData/Local/Programs/TELVOR
grep -aq 'Programs\\TELVOR\\README.txt' "${shortcut%.lnk} user's guide.lnk" || fail "no Start-menu shortcut to the guide"
wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -q '|TELVOR$' || fail "TELVOR is not among the installed programs"
size=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { s = t = "" } $1 == "Size" { s = $3 } $1 == "DisplayName" && $3 == "TELVOR" { t = 1 } t && s != "" { size = s } END { print size }')
[[ $size == $((($(cat "$installed"/* | wc -c) + 1023) / 1024)) ]] || fail "the installed programs' entry has the size '$size'"
registered() { wine reg query "HKCU\\Software\\Classes\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'; }
type=$(registered .telvor)
icon=$(registered "$type\\DefaultIcon")
[[ -n $type && $icon == *'\telvor.exe"'* ]] || fail ".telvor is '$type', its icon '$icon'"
command=$(registered "$type\\shell\\open\\command")
documents=$(readlink -f "$users/Documents")
wine start /unix "$shortcut" >"$DIR/telvor.out" 2>"$DIR/telvor.err" || fail "start TELVOR.lnk"
shown() { [[ -n $(win "$1") ]]; }
wait_until "$WAIT_WINDOW" "the open-file dialog" shown "$DIALOG"
for list in TELVOR.service TELVOR.filter; do cmp "$documents/TELVOR/$list" "$TELVOR_SOURCE_DIR/packaging/$list" ||
    fail "Documents\\TELVOR has not the installed $list"; done
xdo "$(win "$DIALOG")" key Escape
wait_until "$WAIT_EXIT" "telvor started from the Start menu to end" eval '! shown "$DIALOG" && ! shown "$MAIN"'

[[ $command == *'%1'* ]] || fail "the Open command '$command' takes no file"
open_with() {  # FILE: the Open command on it (Wine's start ignores per-user classes)
    local line=${command//%1/$(native_path "$1")}
    args=()
    while [[ $line =~ ^[[:space:]]*(\"([^\"]*)\"|([^[:space:]\"]+))(.*)$ ]]; do
        args+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}")
        line=${BASH_REMATCH[4]}
    done
    [[ ${args[0]} == *'\telvor.exe' ]] || fail "the Open command runs '${args[0]}'"
    start
}
exec_program() { cd / && exec wine "${args[@]}"; }
make_lists
open_with "$LISTS/woche.telvor"
wait_win "$QUESTION" >/dev/null
main=$(wait_win "$MAIN")
CLIENT=966x743 check_windows "$main"
icons_are_telvors "$main" 48 24 || fail "the window's icons are not TELVOR's of 48 and 24 pixels"
lists_taken
cp "$WORK"/TELVOR.{filter,service} "$documents/TELVOR/"
mkdir "$DIR/Downloads" && : >"$DIR/Downloads/woche.telvor"
open_with "$DIR/Downloads/woche.telvor"
lists_taken "$DIR/Downloads/woche.telvor" "$documents/TELVOR"

wine msiexec /x "$(native_path "$msi")" /qn >"$DIR/msiexec.log" 2>&1 || fail "msiexec /x: $(<"$DIR/msiexec.log")"
rm -r "$documents/TELVOR"  # the user's own folder, which the uninstall keeps
comm -13 <(sort <<<"$before") <(snapshot | sort) | grep -Ev "$installer_own" >"$DIR/left" && fail "the uninstall left: $(<"$DIR/left")"
pass
