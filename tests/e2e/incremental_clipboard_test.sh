#!/usr/bin/env bash
# A Guide text handed over in pieces (INCR) is taken whole; an owner that stalls after announcing
# it: the box within 8 s, status 1, the Event file as it was, the clipboard left with its owner.
source "$(dirname "$0")/lib.sh"
: "${TELVOR_X11_OWNER:?}"
start_display
make_guide
for i in $(seq 300); do printf 'Zeile %d, nur damit der Text in vielen Teilen kommt.\r\n' "$i"; done >>"$DIR/guide"
printf 'Sa. 12.12.2009\tZDF\tLetzte Sendung\r\n20:15\t30 min.\tShow\r\n20:45\tGanz am Ende.\r\n' >>"$DIR/guide"
ev=$WORK/woche.telvor
own() { spawn "$DIR/owner.log" "$TELVOR_X11_OWNER" "$DIR/guide" "$DIR/owner" "$@"; OWNER=${PIDS[-1]}; wait_until 10 "the clipboard's owner" grep -q held "$DIR/owner"; }

own
printf "$OLD_EVENT" >"$ev"
start "$ev"
xdo "$(wait_win "$QUESTION")" key Return
wait_until 15 "the clipboard to be emptied" grep -q lost "$DIR/owner"
close_main
expect "$ev" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\n'
expect "$ev" has '\r\n12.12.2009 20:15 + Letzte Sendung\r\nGenre: Show\r\nGanz am Ende.\r\n\r\n'
kill "$OWNER"

own --stall
printf "$OLD_EVENT" >"$ev"
start_box "$ev"
[[ $(cat "$DIR/telvor.err") == 'telvor: cannot read the clipboard: '* ]] || fail "stderr '$(cat "$DIR/telvor.err")'"
xdo "$(after_box "$BOX")" key alt+n
answered && still_open 1
close_main 1
grep -q held "$DIR/owner" || fail "the clipboard was taken from its owner"
expect "$ev" starts "$OLD_EVENT"
expect "$ev" lacks 'Tatort'
pass
