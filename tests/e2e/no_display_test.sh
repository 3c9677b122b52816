#!/usr/bin/env bash
# Without a display the program does not abort: one line on stderr naming the
# reason, exit status 3, nothing on stdout, and the files stay as they were.
source "$(dirname "$0")/lib.sh"
printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\n\r\n' >"$WORK/week.telvor"
snapshot() { ls -l --time-style=+%s.%N "$WORK" && md5sum "$WORK"/*; }
before=$(snapshot)
headless() {  # env arguments, what stderr names, telvor arguments...
    local rc=0
    (cd "$WORK" && exec env $1 timeout 60 "$TELVOR_BIN" "${@:3}") >"$DIR/out" 2>"$DIR/err" || rc=$?
    [[ $rc == 3 && ! -s $DIR/out && $(wc -l <"$DIR/err") == 1 ]] && grep -q "^telvor: .*$2" "$DIR/err" ||
        fail "$1 ${*:3}: exit code $rc, stdout '$(<"$DIR/out")', stderr '$(<"$DIR/err")'"
    [[ $(snapshot) == "$before" ]] || fail "$1 ${*:3}: the Program directory changed"
}
headless "-u DISPLAY" DISPLAY week.telvor
headless "-u DISPLAY" DISPLAY
number=250   # a display number no server answers
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
headless "DISPLAY=:$number" ":$number" week.telvor
echo "PASS $NAME"
