#!/usr/bin/env bash
# The real process without a display: the status, stdout and stderr of --help, a usage error
# and a run lacking its display (none set, or one that cannot be opened); no file touched.
source "$(dirname "$0")/lib.sh"
printf "$OLD_EVENT" >"$WORK/week.telvor"
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
answers 0 '^Usage: telvor \[EVENT-FILE\]$' '' 0 --help
answers 2 '' "^telvor: unknown option '-x'$" 2 -x
answers 3 '' '^telvor: .*DISPLAY' 1 week.telvor
number=250
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
DISPLAY=:$number answers 3 '' "^telvor: .*:$number" 1 week.telvor
pass
