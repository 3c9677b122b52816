#!/usr/bin/env bash
# telvor.exe under Wine, Cancel by Esc and by the question's close box: the
# program ends right after the question, with its window, and the clipboard
# keeps the Guide text.
source "$(dirname "$0")/lib.sh"
start_session
ev=$WORK/film.telvor
: >"$ev"
for how in Escape close-box; do
    start film.telvor
    question=$(wait_win "$QUESTION")
    if [[ $how == Escape ]]; then shot question; xdo "$question" key Escape; else wmctrl -i -c "$question"; fi
    wait_exit
    [[ -z $(win "$MAIN") ]] || fail "the main window outlived the program"
    clip_kept "after $how"
done
expect "$ev" has '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
echo "PASS wine $NAME"
