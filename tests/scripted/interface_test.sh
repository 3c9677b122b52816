#!/usr/bin/env bash
# telvor-scripted's interface as docs/tests.md describes it: the sample lists
# and Guide text through a whole run (every section, in order), a box shown
# as one line, the question never asked, a bad option.
source "$(dirname "$0")/../fault/lib.sh"
tool=("$TELVOR_SCRIPTED")
[[ $TELVOR_SCRIPTED != *.exe ]] || tool=("$TELVOR_SOURCE_DIR/cmake/wine-run" "$TELVOR_WINEPREFIX" "$TELVOR_SCRIPTED")
scripted() {  # name, option...: a run in $work; its output in UTF-8 (Windows' CR dropped), status in $work/NAME.rc
    local rc=0
    (cd "$work" && "${tool[@]}" "${@:2}" >"$work/$1.raw" 2>"$work/$1.err") || rc=$?
    echo "$rc" >"$work/$1.rc"
    tr -d '\r' <"$work/$1.raw" | iconv -f CP1252 -t UTF-8 >"$work/$1.out"
}
check() {  # name, status, expected output
    [[ $(cat "$work/$1.rc") == "$2" ]] || fail "$1: status $(cat "$work/$1.rc"), not $2: $(cat "$work/$1.err")"
    diff <(printf '%s\n' "$3") "$work/$1.out" >&2 || fail "$1: the output differs (above)"
}
sep=$(printf '=%.0s' {1..102}) credit="TELVOR - made by the TELVOR developers"
cp "$TELVOR_SAMPLES_DIR"/{TELVOR.filter,TELVOR.service,guide-webif.txt} "$work/"
: >"$work/epg.telvor"

list_view() {  # list file, the blank its entries end with, their order (cat, sort -f): its view
    printf '[%s]\n%s\n%s\nFile: >>> %s <<< reading...\n%s\n' "${1#*.}" "$credit" "$sep" "$1" "$sep"
    tr -d '\r' <"$work/$1" | sed "s/\$/$2/" | $3
    printf '%s\nFile: >>> %s <<< reading complete...\n%s\n' "$sep" "$1" "$sep"
}
scripted sample --param epg.telvor --clipboard guide-webif.txt --answer no
check sample 0 "$(list_view TELVOR.filter '' cat)
$(list_view TELVOR.service ' ' 'sort -f')
[event]
$credit
$sep
File: >>> epg.telvor <<< writing...
$sep
05.12.2009 18:00   Sportschau
05.12.2009 20:15   Wetten, dass..?
06.12.2009 20:15   Tatort: Tödliche Tarnung
07.12.2009 09:05   Die große Reise
07.12.2009 19:45   Journal
08.12.2009 19:20   Kulturzeit
10.12.2009 23:15   Markus Lanz
11.12.2009 22:15   Tagesthemen
$sep
File: >>> epg.telvor <<< new created...
$sep
Events: >>> 8 added <<< 3 filtered, 1 repeated...
$sep
[clipboard] emptied
[asked] no"

# A silent owner: the failed step's box on one line; a later copy is kept.
printf 'Notiz' >"$work/later.txt"
scripted silent --param epg.telvor --clipboard-silent --copy-later later.txt --answer yes
sed -n '/^\[event\]/,$p' "$work/silent.out" | grep -v "^$sep\$" | grep -v '^[0-9]' >"$work/silent.tail"
diff - "$work/silent.tail" >&2 <<EOF || fail "silent: the event view's ends, the box, the clipboard or the answer differ (above)"
[event]
$credit
File: >>> epg.telvor <<< writing...
File: >>> epg.telvor <<< new created...
Clipboard: >>> not read <<< no guide text...
Events: >>> 0 added <<< 0 filtered, 0 repeated...
[message] TELVOR could not complete these steps:\ncannot read the clipboard: the program holding the clipboard did not hand over its text in time
[clipboard] kept
[asked] yes
EOF
[[ $(cat "$work/silent.rc") == 1 ]] || fail "silent: status $(cat "$work/silent.rc")"

scripted cancelled --choose-cancel
check cancelled 0 "$(sed -n '1,/^\[event\]$/p' "$work/sample.out")
[clipboard] kept
[asked] never"
scripted no-window --no-window --param epg.telvor
check no-window 3 "[filter]
[service]
[event]
[clipboard] kept
[asked] cancel"

scripted bad --answer maybe
[[ $(cat "$work/bad.rc") == 2 && ! -s $work/bad.out ]] && grep -q '^Usage: telvor-scripted ' "$work/bad.err" ||
    fail "a bad option: status $(cat "$work/bad.rc"), $(cat "$work/bad.err")"

finish
