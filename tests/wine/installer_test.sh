#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own: installed
# per user (msiexec /i /qn, no administrator), it leaves the Start-menu
# shortcut, the .telvor file type with the program's icon, and an entry
# among the installed programs. The shortcut starts TELVOR in
# Documents\TELVOR, made and given the installed lists; the file type's
# registered Open command, run on an Event file in another folder, runs
# TELVOR there with that folder's lists. Wine's "start" does not read the
# per-user classes (HKCU\Software\Classes) that Windows merges into the
# classes root, so the test reads the command and runs it itself.
# Uninstalled (msiexec /x /qn), nothing of it is left. telvor.exe carries
# the icon the build drew and a version resource that names the version,
# the copyright and the licence.
source "$(dirname "$0")/lib.sh"
msi=$(echo "$(dirname "$TELVOR_BIN")"/telvor-*.msi)
[[ -f $msi ]] || fail "no installer beside $TELVOR_BIN"
version=${msi##*/telvor-} version=${version%.msi}

# The resources of the built telvor.exe.
pictures() {  # the pictures of an icon file, as PNGs one after another
    rm -rf "$DIR/pictures" && mkdir "$DIR/pictures" && icotool -x -o "$DIR/pictures" "$1" &&
        cat "$DIR"/pictures/*.png | md5sum
}
wrestool -x -t 14 "$TELVOR_BIN" >"$DIR/exe.ico" || fail "telvor.exe has no icon resource"
[[ $(pictures "$DIR/exe.ico") == "$(pictures "$TELVOR_BUILD_DIR/generated/telvor.ico")" ]] ||
    fail "telvor.exe's icon is not the one drawn"
resource=$(wrestool -x --raw -t 16 "$TELVOR_BIN" | iconv -f UTF-16LE -t UTF-8 -c | tr '\0' '\n' | sed '/^$/d')
value() { sed -n "/$1\$/{n;p;q}" <<<"$resource"; }  # the line after the key
[[ $(value ProductVersion) == "$version" && $(value FileVersion) == "$version" ]] || fail "version resource: $resource"
[[ $(value LegalCopyright) == "$(grep -m1 '^Copyright ' "$TELVOR_SOURCE_DIR/LICENSE")" ]] || fail "copyright: $resource"
[[ $(value License) == "$(head -n 1 "$TELVOR_SOURCE_DIR/LICENSE")" ]] || fail "licence: $resource"
[[ -n $(value CompanyName) && $(value ProductName) == TELVOR ]] || fail "company or product: $resource"

# A prefix whose Documents folder lies in the scratch folder.
export HOME=$DIR/home WINEPREFIX=$DIR/wineprefix
mkdir -p "$HOME"
start_session
users=$WINEPREFIX/drive_c/users/$(id -un)
# The user's files and registry keys (less Wine's own) and the installed
# programs. Windows Installer's own empty folder and keys, made by the first
# install, may stay.
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
registered() {  # the default value of a key under HKCU\Software\Classes
    wine reg query "HKCU\\Software\\Classes\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}
type=$(registered .telvor)
[[ -n $type ]] || fail ".telvor is not registered"
installed=$(registered "$type\\DefaultIcon")
installed=${installed%,0}
installed=${installed//\"/}
[[ $installed == *'\telvor.exe' ]] || fail "the files' icon is '$(registered "$type\\DefaultIcon")'"
command=$(registered "$type\\shell\\open\\command")
[[ $command == *'%1'* ]] || fail "the Open command '$command' takes no file"

# The shortcut, as the Start menu starts it ("start" does not wait for
# the program a shortcut starts: its window tells).
documents=$(readlink -f "$users/Documents")
wine start /unix "$shortcut" >"$DIR/telvor.out" 2>"$DIR/telvor.err" || fail "start TELVOR.lnk"
shown() { [[ -n $(win "$1") ]]; }
wait_until "$WAIT_WINDOW" "the open-file dialog" shown "$DIALOG"
cmp "$documents/TELVOR/TELVOR.service" "$TELVOR_SOURCE_DIR/packaging/TELVOR.service" ||
    fail "Documents\\TELVOR has not the installed TELVOR.service"
[[ -f $documents/TELVOR/TELVOR.filter ]] || fail "Documents\\TELVOR has no TELVOR.filter"
xdo "$(win "$DIALOG")" key Escape
wait_until "$WAIT_EXIT" "telvor to end" eval '! shown "$DIALOG" && ! shown "$MAIN"'

# The Open command on an Event file in a folder with lists of its own.
lists="$DIR/Sendungen 2009"
mkdir -p "$lists"
cp "$WORK"/TELVOR.{filter,service} "$lists/"
: >"$lists/woche.telvor"
command=${command//%1/$(native_path "$lists/woche.telvor")}
ARGS=()
while [[ $command =~ ^[[:space:]]*(\"([^\"]*)\"|([^[:space:]\"]+))(.*)$ ]]; do
    ARGS+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}")
    command=${BASH_REMATCH[4]}
done
[[ ${ARGS[0]} == "$installed" ]] || fail "the Open command runs '${ARGS[0]}', not $installed"
wine "${ARGS[@]}" >"$DIR/telvor.out" 2>"$DIR/telvor.err" &
PID=$!
PIDS+=($PID)
question=$(wait_win "$QUESTION")
xdo "$question" key alt+n
wait_until 15 "the clipboard to be emptied" clip_empty
wmctrl -i -c "$(win "$MAIN")"
WORK=$lists wait_exit
expect "$lists/woche.telvor" has '07.12.2009 19:45   Journal\r\n'   # its channel names gone
expect "$lists/woche.telvor" lacks 'Tagesschau'                     # its filter terms applied
[[ ! -e $documents/TELVOR/woche.telvor ]] || fail "the Event file was made in Documents\\TELVOR"

wine msiexec /x "$(native_path "$msi")" /qn >"$DIR/msiexec.log" 2>&1 || fail "msiexec /x: $(<"$DIR/msiexec.log")"
rm -r "$documents/TELVOR"  # the user's own folder, which the uninstall keeps
comm -13 <(sort <<<"$before") <(snapshot | sort) | grep -Ev "$installer_own" >"$DIR/left" && fail "the uninstall left: $(<"$DIR/left")"
pass
