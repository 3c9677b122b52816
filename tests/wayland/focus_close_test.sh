#!/usr/bin/env bash
# On Wayland, while the question is open: the focus goes back and forth
# between TELVOR's windows and another program's, and the compositor asks
# TELVOR's main window to close, twice. Neither request is taken while the
# question is open (as on X11): after Yes the events are marked and the
# window stays until it is closed; the clipboard, which TELVOR cannot read
# again without the focus, keeps the Guide text. The same holds for the
# open-file dialog.
source "$(dirname "$0")/lib.sh"
start_sway
start_other
dialog=$(wait_win "$DIALOG" "$OTHER")
copy_guide
ev=$WORK/woche.telvor
: >"$ev"
give "$ev"
start "$ev"
question=$(wait_win "$QUESTION")
main=$(win "$MAIN")
for step in "focus $dialog" "focus $main" "close $main" "focus $dialog" "focus $question" \
    "close $main" "focus $dialog"; do
    $step
    sleep 0.2
done
[[ $(focused) == "$DIALOG" ]] || fail "the other program's dialog lost the focus: $(windows)"
running || fail "telvor ended while its question was open"
key "$question" -k Return
# The focus goes back to the other program's dialog: without it TELVOR
# cannot tell whether the clipboard still holds the Guide text, and keeps it.
sleep 2
[[ $(focused) == "$DIALOG" ]] || fail "the focus went to '$(focused)' after the question"
clip_kept "after Yes with the focus elsewhere"
running && [[ $(win "$MAIN") == "$main" ]] || fail "a close request made while the question was open ended telvor"
expect "$ev" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\n'
[[ -z $(awk 'substr($0,3,1)=="." && substr($0,14,1)==":" && substr($0,17,3)!=" + "' "$ev") ]] ||
    fail "not every event is marked"
close "$main"
wait_exit

# The other TELVOR: its main window ignores a close request while the
# open-file dialog is open; Escape cancels the dialog and ends it.
PID=$OTHER
close "$(win "$MAIN")"
sleep 1
running || fail "a close request ended the other TELVOR while its dialog was open"
key "$dialog" -k Escape
wait_until 15 "the other TELVOR to end" ended
echo "PASS $NAME"
