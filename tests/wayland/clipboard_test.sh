#!/usr/bin/env bash
# On Wayland: a text copied while the question is open survives No (the
# Guide text read before is stored); a clipboard whose owner (wl-copy) is
# stopped is given up on: the box that lists the failed step comes within
# 8 s, with the line stderr has, and the run ends with status 1, the
# clipboard not emptied.
source "$(dirname "$0")/lib.sh"
start_sway
ev=$WORK/woche.telvor
: >"$ev"
give "$ev"
copy_guide
start "$ev"
question=$(wait_win "$QUESTION")
copy_text "Notiz nach der Frage"
key "$question" -M alt -k n -m alt
sleep 1
running || fail "telvor ended before its window was closed"
clip_is "$DIR/copied" || fail "the later copy is gone: '$(clip)'"
close "$(win "$MAIN")"
wait_exit
clip_is "$DIR/copied" || fail "the later copy is gone after the end: '$(clip)'"
expect "$ev" has '\r\n06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'

copy_guide
kill -STOP "$OWNER"
begun=$(date +%s%N)
start "$ev"
box=$(wait_win "$QUESTION")
took=$((($(date +%s%N) - begun) / 1000000))
((took < 8000)) || fail "the box came after $took ms"
shot silent-clipboard
key "$box" -M ctrl -k c -m ctrl   # copies the box's title and text
wait_until 10 "the box's text" clip_has 'cannot read the clipboard: '
[[ $(clip | grep '^cannot ') == "$(sed -n 's/^telvor: //p' "$DIR/telvor.err")" ]] ||
    fail "box '$(clip)', stderr '$(cat "$DIR/telvor.err")'"
kill -CONT "$OWNER"
copied=$(clip)
key "$box" -k Return
wait_until 10 "the question after the box" eval '[[ -n $(win "$QUESTION") && $(win "$QUESTION") != "$box" ]]'
key "$(win "$QUESTION")" -M alt -k n -m alt
sleep 1
[[ $(clip) == "$copied" ]] || fail "the clipboard was emptied after a failed read"
close "$(win "$MAIN")"
wait_exit 1
echo "PASS $NAME"
