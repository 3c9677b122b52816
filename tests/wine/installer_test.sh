#!/usr/bin/env bash
# The Windows installer, per user in a prefix of its own: the Start-menu
# shortcut, the .telvor type and its Open command, the entry among the
# installed programs; uninstalled, nothing of it is left.
source "$(dirname "$0")/lib.sh"
msi=$(echo "$(dirname "$TELVOR_BIN")"/telvor-*.msi)
[[ -f $msi ]] || fail "no installer beside $TELVOR_BIN"
wrestool -x -t 14 "$TELVOR_BIN" | grep -q . || fail "telvor.exe has no icon resource"
export HOME=$DIR/home WINEPREFIX=$DIR/wineprefix
mkdir -p "$HOME"
start_session
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
wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -q '|TELVOR$' || fail "TELVOR is not among the installed programs"
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
wait_until "$WAIT_EXIT" "telvor to end" eval '! shown "$DIALOG" && ! shown "$MAIN"'

make_lists
[[ $command == *'%1'* ]] || fail "the Open command '$command' takes no file"
command=${command//%1/$(native_path "$LISTS/woche.telvor")}
args=()
while [[ $command =~ ^[[:space:]]*(\"([^\"]*)\"|([^[:space:]\"]+))(.*)$ ]]; do
    args+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}")
    command=${BASH_REMATCH[4]}
done
[[ ${args[0]} == *'\telvor.exe' ]] || fail "the Open command runs '${args[0]}'"
exec_program() { cd / && exec wine "${args[@]}"; }   # Wine's start ignores per-user classes
start
lists_taken

wine msiexec /x "$(native_path "$msi")" /qn >"$DIR/msiexec.log" 2>&1 || fail "msiexec /x: $(<"$DIR/msiexec.log")"
rm -r "$documents/TELVOR"  # the user's own folder, which the uninstall keeps
comm -13 <(sort <<<"$before") <(snapshot | sort) | grep -Ev "$installer_own" >"$DIR/left" && fail "the uninstall left: $(<"$DIR/left")"
pass
