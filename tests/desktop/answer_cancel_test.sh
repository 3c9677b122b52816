#!/usr/bin/env bash
# Cancel, by Esc and by the question's close box: the program ends right
# after the question, with its window, and the clipboard keeps the Guide
# text. The Event file is named by its full path (the platform's form) for
# Esc, by its name in the Program directory for the close box.
# Argument: e2e (the Linux program) or wine (telvor.exe under Wine).
source "$(dirname "$0")/../${1:?which desktop: e2e or wine}/lib.sh"
start_session
ev=$WORK/film.telvor
: >"$ev"
for how in Escape close-box; do
    if [[ $how == Escape ]]; then start "$(native_path "$ev")"; else start film.telvor; fi
    question=$(wait_win "$QUESTION")
    if [[ $how == Escape ]]; then shot question; xdo "$question" key Escape; else wmctrl -i -c "$question"; fi
    wait_exit
    [[ -z $(win "$MAIN") ]] || fail "the main window outlived the program"
    clip_kept "after $how"
done
expect "$ev" has '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
pass
