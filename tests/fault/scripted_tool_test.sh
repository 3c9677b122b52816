#!/usr/bin/env bash
# telvor-scripted as a program: one whole run per call in the current
# directory; stdout holds the three views, whether the clipboard was
# emptied and the answer given; without a window one line goes to stderr;
# a bad command line exits with 2.
set -euo pipefail
export LC_ALL=C
: "${TELVOR_SCRIPTED:?path of telvor-scripted}"
: "${TELVOR_SAMPLES_DIR:?folder of the sample files}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

sep=$(printf '=%.0s' $(seq 102))
credit='TELVOR - made by the TELVOR developers'

# A Program directory with the sample lists.
new_folder() {
    local dir=$work/$1
    mkdir -p "$dir"
    cp "$TELVOR_SAMPLES_DIR/TELVOR.filter" "$TELVOR_SAMPLES_DIR/TELVOR.service" "$dir"
    (cd "$dir" && pwd -P)
}

# Runs the tool in a folder; stdout, stderr and the exit code go to $work/<name>.*
run_tool() {
    local name=$1 dir=$2
    shift 2
    local rc=0
    (cd "$dir" && "$TELVOR_SCRIPTED" "$@" >"$work/$name.out" 2>"$work/$name.err") || rc=$?
    echo "$rc" >"$work/$name.rc"
}

expect_same() {  # what, expected file, actual file
    if ! cmp -s "$2" "$3"; then
        fail "$1 differs:"
        diff <(cat -A "$2") <(cat -A "$3") >&2 || true
    fi
}

list_views() {
    printf '%s\n' '[filter]' "$credit" "$sep" 'File: >>> TELVOR.filter <<< reading...' "$sep" \
        Tagesschau heute Wetter "$sep" 'File: >>> TELVOR.filter <<< reading complete...' "$sep"
    printf '%s\n' '[service]' "$credit" "$sep" 'File: >>> TELVOR.service <<< reading...' "$sep" \
        '3sat ' 'arte ' 'Das Erste ' 'Das Erste HD ' 'ZDF ' 'ZDF HD ' \
        "$sep" 'File: >>> TELVOR.service <<< reading complete...' "$sep"
}

events=(
    '05.12.2009 18:00   Sportschau'
    '05.12.2009 20:15   Wetten, dass..?'
    $'06.12.2009 20:15   Tatort: T\xF6dliche Tarnung'
    $'07.12.2009 09:05   Die gro\xDFe Reise'
    '07.12.2009 19:45   Journal'
    '08.12.2009 19:20   Kulturzeit'
    '10.12.2009 23:15   Markus Lanz'
    '11.12.2009 22:15   Tagesthemen'
)

# 1. The sample Guide text into an empty Event file named on the command
#    line, answer No.
dir=$(new_folder sample)
: >"$dir/epg.telvor"
run_tool sample "$dir" --param epg.telvor --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --answer no
[ "$(cat "$work/sample.rc")" = 0 ] || fail "sample run: exit code $(cat "$work/sample.rc")"
[ -s "$work/sample.err" ] && fail "sample run wrote to stderr: $(cat "$work/sample.err")"
{
    list_views
    printf '%s\n' '[event]' "$credit" "$sep" 'File: >>> epg.telvor <<< writing...' "$sep" \
        "${events[@]}" "$sep" 'File: >>> epg.telvor <<< new created...' "$sep" \
        '[clipboard] emptied' '[asked] no'
} >"$work/sample.expected"
expect_same "sample run output" "$work/sample.expected" "$work/sample.out"
printf '%s\r\n' \
    "${events[0]}" $'Genre: Fu\xDFball-Bundesliga, 15. Spieltag' 'Alle Spiele, alle Tore, alle Stimmen.' '' \
    "${events[1]}" 'Genre: Show' $'Live aus Graz. Mit G\xE4sten aus Film, Musik und Sport.' '' \
    "${events[2]}" 'Genre: Krimi' 'Kommissar Lannert ermittelt im Stuttgarter Hafen.' '' \
    "${events[3]}" 'Genre: Dokumentation' $'Ein Jahr auf den Spuren der Zugv\xF6gel.' '' \
    "${events[4]}" 'Genre: NachrichtenMagazin' 'Das Neueste aus Europa.' '' \
    "${events[5]}" 'Genre: Kultur' $'Themen: Die Weihnachtsausstellung im Louvre; B\xFCcher des Jahres.' '' \
    "${events[6]}" 'Genre: Talk' $'G\xE4ste: ein Bergsteiger, eine K\xF6chin, ein Komiker.' '' \
    "${events[7]}" 'Genre: Nachrichten' 'Mit dem Wetter.' '' >"$work/sample.telvor"
expect_same "sample Event file" "$work/sample.telvor" "$dir/epg.telvor"
[ "$(ls "$dir" | tr '\n' ' ')" = "TELVOR.filter TELVOR.service epg.telvor " ] ||
    fail "sample run left: $(ls "$dir" | tr '\n' ' ')"

# 2. The same Event file again with the answer Yes and no clipboard text:
#    every event marked, the Event view rebuilt by the Marking pass.
run_tool marking "$dir" --param epg.telvor --answer yes
{
    list_views
    printf '%s\n' '[event]' "$credit" "$sep" 'File: >>> epg.telvor <<< writing...' "$sep"
    for line in "${events[@]}"; do printf '%s\n' "${line:0:16} + ${line:19}"; done
    printf '%s\n' "$sep" 'File: >>> epg.telvor <<< new created...' "$sep" \
        '[clipboard] emptied' '[asked] yes'
} >"$work/marking.expected"
expect_same "marking run output" "$work/marking.expected" "$work/marking.out"
sed 's/^\(.\{16\}\)   /\1 + /' "$work/sample.telvor" >"$work/marked.telvor"
expect_same "marked Event file" "$work/marked.telvor" "$dir/epg.telvor"

# 3. The dialog cancelled: no question, clipboard kept, nothing written.
dir=$(new_folder cancelled)
run_tool cancelled "$dir" --choose-cancel --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --answer yes
{
    list_views
    printf '%s\n' '[event]' '[clipboard] kept' '[asked] never'
} >"$work/cancelled.expected"
expect_same "cancelled dialog output" "$work/cancelled.expected" "$work/cancelled.out"
[ "$(cat "$work/cancelled.rc")" = 0 ] || fail "cancelled dialog: exit code $(cat "$work/cancelled.rc")"
[ "$(ls "$dir" | tr '\n' ' ')" = "TELVOR.filter TELVOR.service " ] ||
    fail "cancelled dialog left: $(ls "$dir" | tr '\n' ' ')"

# 4. A new name typed in the dialog: the file gets the extension and the
#    New-file header, whose first line the Event view shows.
dir=$(new_folder dialog)
run_tool dialog "$dir" --choose "$dir/neu" --answer cancel
[ -f "$dir/neu.telvor" ] || fail "no neu.telvor was created"
upper=$(printf '%s' "$dir/NEU.TELVOR" | tr '[:lower:]' '[:upper:]')
header="^[0-9]{2}\.[0-9]{2}\.[0-9]{4} [0-9]{2}:[0-9]{2} -- >>> ${upper//./\\.} <<< -- File new created\.\.\.$"
head -n 1 "$dir/neu.telvor" | tr -d '\r' | grep -Eq "$header" || fail "header line: $(head -n 1 "$dir/neu.telvor")"
sed -n '/^\[event\]$/,$p' "$work/dialog.out" | sed -n 6p | grep -Eq "$header" ||
    fail "Event view does not show the header line"
grep -qxF "File: >>> $dir/neu.telvor <<< writing..." "$work/dialog.out" || fail "no writing... line for neu.telvor"
tail -n 2 "$work/dialog.out" | tr '\n' '|' | grep -qxF '[clipboard] kept|[asked] cancel|' ||
    fail "cancelled question: $(tail -n 2 "$work/dialog.out" | tr '\n' '|')"

# 5. No window: the question only; no views, clipboard kept, one line on stderr.
dir=$(new_folder nowindow)
printf 'unchanged\r\n' >"$dir/epg.telvor"
run_tool nowindow "$dir" --no-window --param epg.telvor \
    --clipboard "$TELVOR_SAMPLES_DIR/guide-webif.txt" --answer yes
printf '%s\n' '[filter]' '[service]' '[event]' '[clipboard] kept' '[asked] yes' >"$work/nowindow.expected"
expect_same "no-window output" "$work/nowindow.expected" "$work/nowindow.out"
[ "$(cat "$work/nowindow.rc")" = 0 ] || fail "no window: exit code $(cat "$work/nowindow.rc")"
[ "$(wc -l <"$work/nowindow.err")" = 1 ] || fail "no window: stderr has not one line: $(cat "$work/nowindow.err")"
[ "$(cat "$dir/epg.telvor")" = $'unchanged\r' ] || fail "no window: the Event file was touched"

# 6. A bad command line: usage on stderr, exit code 2, no run.
dir=$(new_folder usage)
for args in "--param epg.telvor" "--answer maybe" "--answer no --frobnicate" "--answer"; do
    # shellcheck disable=SC2086
    run_tool usage "$dir" $args
    [ "$(cat "$work/usage.rc")" = 2 ] || fail "'$args': exit code $(cat "$work/usage.rc")"
    grep -q '^usage: telvor-scripted' "$work/usage.err" || fail "'$args': no usage text"
    [ -s "$work/usage.out" ] && fail "'$args': wrote to stdout"
done
[ "$(ls "$dir" | tr '\n' ' ')" = "TELVOR.filter TELVOR.service " ] || fail "usage errors left files"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "scripted tool: all checks passed"
