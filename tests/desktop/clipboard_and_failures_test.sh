#!/usr/bin/env bash
# What the clipboard keeps, and failed steps shown to the user:
# - a text copied while the question is open survives Yes and No (the Guide
#   text copied before is stored all the same);
# - a clipboard whose owner is stopped is given up on: the box that lists
#   the failed steps comes within 8 s of the start, names the clipboard in
#   the line stderr has too, and the run ends with status 1, the clipboard
#   not emptied;
# - a missing Event file: the box lists each failed step with the path and
#   the system's reason, the same lines as stderr.
# A message box's text is read as a user copies it (Ctrl+C); under Wine,
# whose message boxes do not copy, from the Windows side.
# Argument: e2e (the Linux program) or wine (telvor.exe under Wine).
source "$(dirname "$0")/../${1:?which desktop: e2e or wine}/lib.sh"
start_session
ev=$WORK/serie.telvor
box_lines() { box_text "$1" | tr -d '\r' | grep '^cannot '; }  # window: its failed steps
stderr_lines() { tr -d '\r' <"$DIR/telvor.err" | sed -n 's/^telvor: //p'; }
next_question() {  # box: prints the question's window once the box is gone
    other() { local id; id=$(win "$QUESTION") && [[ -n $id && $id != "$1" ]]; }
    wait_until 10 "the question after the box" other "$1"
    win "$QUESTION"
}

for answer in Yes No; do
    : >"$ev"
    [[ $answer == Yes ]] || copy_guide
    start serie.telvor
    question=$(wait_win "$QUESTION")
    copy_text "Notiz nach der Frage ($answer)"
    if [[ $answer == Yes ]]; then xdo "$question" key Return; else xdo "$question" key alt+n; fi
    still_open 2
    clip_is "$DIR/copied" || fail "$answer: the later copy is gone: '$(clip)'"
    wmctrl -i -c "$(win "$MAIN")"
    wait_exit
    clip_is "$DIR/copied" || fail "$answer: the later copy is gone after the end: '$(clip)'"
    expect "$ev" has '\r\n06.12.2009 20:15 '
done

copy_guide_silent
begun=$(date +%s%N)
start serie.telvor
box=$(wait_win "$QUESTION")
took=$((($(date +%s%N) - begun) / 1000000))
((took < 8000)) || fail "the box came after $took ms"
shot silent-clipboard
lines=$(box_lines "$box")
[[ $lines == "$(stderr_lines)" && $lines == 'cannot read the clipboard: '* ]] ||
    fail "box '$lines', stderr '$(stderr_lines)'"
kill -CONT "$OWNER"
copied=$(clip)
xdo "$box" key Return
question=$(next_question "$box")
xdo "$question" key alt+n
still_open 1
[[ $(clip) == "$copied" ]] || fail "the clipboard was emptied after a failed read"
wmctrl -i -c "$(win "$MAIN")"
wait_exit 1

start "$(native_path "$WORK/missing.telvor")"
box=$(wait_win "$QUESTION")
shot missing-file
lines=$(box_lines "$box")
line="cannot read $(native_path "$WORK/missing.telvor"): "
[[ $lines == "$(stderr_lines)" && $(sort -u <<<"$lines") == "$line"?* && $(wc -l <<<"$lines") == 2 ]] ||
    fail "box '$lines', stderr '$(stderr_lines)'"
xdo "$box" key Return
question=$(next_question "$box")
xdo "$question" key Escape
wait_exit 1
[[ ! -e $WORK/missing.telvor ]] || fail "the missing Event file was made"
pass
