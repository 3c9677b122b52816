#!/usr/bin/env bash
# The command line: --help/-h and --version/-V answer on stdout with status
# 0, an unknown option or a second file is a usage error (stderr, status 2),
# all without a window and without touching a file. A file named like an
# option is the Event file after "--" or as ./NAME.
source "$(dirname "$0")/lib.sh"
: >"$WORK/--help"
snapshot() { ls -lA --time-style=+%s.%N "$WORK" && md5sum "$WORK"/*; }
before=$(snapshot)
shows() { if [[ -z $2 ]]; then [[ ! -s $1 ]]; else grep -Eq "$2" "$1"; fi; }
answers() {  # status, stdout pattern, stderr pattern ("": empty), arguments...
    local rc=0
    (cd "$WORK" && exec timeout 20 "$TELVOR_BIN" "${@:4}") >"$DIR/out" 2>"$DIR/err" || rc=$?
    [[ $rc == "$1" ]] && shows "$DIR/out" "$2" && shows "$DIR/err" "$3" ||
        fail "telvor ${*:4}: status $rc, stdout '$(<"$DIR/out")', stderr '$(<"$DIR/err")'"
    [[ $(snapshot) == "$before" ]] || { diff <(echo "$before") <(snapshot); fail "telvor ${*:4}: the Program directory changed"; }
}
start_session   # a display: nothing may open on it all the same
usage='^Usage: telvor \[EVENT-FILE\]$'
for option in --help -h; do answers 0 "$usage" '' "$option"; done
answers 0 "$usage" '' week.telvor --help
for option in --version -V; do answers 0 '^telvor [0-9]+\.[0-9]+$' '' "$option"; done
answers 2 '' "^telvor: unknown option '-x'$" -x
answers 2 '' "^telvor: unknown option '--hilfe'$" --hilfe week.telvor
answers 2 '' '^telvor: one Event file at most, 2 given$' a.telvor b.telvor
[[ $(wc -l <"$DIR/err") == 2 ]] && grep -q "^Try 'telvor --help'" "$DIR/err" || fail "usage error: $(<"$DIR/err")"
[[ -z $(win "$MAIN") && -z $(win "$DIALOG") ]] || fail "a window opened"

# The file named --help, reached both ways, is the Event file.
for how in -- ./--help; do
    if [[ $how == -- ]]; then start -- --help; else start ./--help; fi
    question=$(wait_win "$QUESTION")
    xdo "$question" key Escape
    wait_exit
    expect "$WORK/--help" has '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
done
echo "PASS $NAME"
