#!/usr/bin/env bash
# The real process without a display: --help/-h and --version/-V answer on
# stdout with status 0, an unknown option or a second file is a usage error
# (two lines on stderr, status 2), all without the window system. A run
# does not abort: one line on stderr naming the display it lacks, status 3,
# nothing on stdout; a file named like an option is such a run after "--"
# or as ./NAME. Nothing touches a file.
source "$(dirname "$0")/lib.sh"
printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\n\r\n' >"$WORK/week.telvor"
: >"$WORK/--help"
snapshot() { ls -lA --time-style=+%s.%N "$WORK" && md5sum "$WORK"/*; }
before=$(snapshot)
shows() { if [[ -z $2 ]]; then [[ ! -s $1 ]]; else grep -Eq "$2" "$1"; fi; }  # file, pattern ("": empty)
answers() {  # status, stdout pattern, stderr pattern, stderr lines, arguments...
    local rc=0
    (cd "$WORK" && exec timeout 60 "$TELVOR_BIN" "${@:5}") >"$DIR/out" 2>"$DIR/err" || rc=$?
    [[ $rc == "$1" && $(wc -l <"$DIR/err") == "$4" ]] && shows "$DIR/out" "$2" && shows "$DIR/err" "$3" ||
        fail "telvor ${*:5}: status $rc, stdout '$(<"$DIR/out")', stderr '$(<"$DIR/err")'"
    [[ $(snapshot) == "$before" ]] || fail "telvor ${*:5}: the Program directory changed"
}
usage='^Usage: telvor \[EVENT-FILE\]$'
for option in --help -h; do answers 0 "$usage" '' 0 "$option"; done
answers 0 "$usage" '' 0 week.telvor --help
for option in --version -V; do answers 0 '^telvor [0-9]+\.[0-9]+$' '' 0 "$option"; done
try="^Try 'telvor --help'"
answers 2 '' "^telvor: unknown option '-x'$" 2 -x
answers 2 '' "^telvor: unknown option '--hilfe'$" 2 --hilfe week.telvor
answers 2 '' '^telvor: one Event file at most, 2 given$' 2 a.telvor b.telvor
answers 2 '' "$try" 2 a.telvor b.telvor
for args in week.telvor '' '-- --help' ./--help; do answers 3 '' '^telvor: .*DISPLAY' 1 $args; done
number=250   # a display number no server answers
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
DISPLAY=:$number answers 3 '' "^telvor: .*:$number" 1 week.telvor
pass
