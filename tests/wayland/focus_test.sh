#!/usr/bin/env bash
# Wayland gives the clipboard only to the focused program. With the focus
# moved away and back and close requests while the question is open, Yes
# marks the events and keeps the clipboard. A main window on a hidden
# workspace gets the focus late (read all the same) or never (a box; status 1).
source "$(dirname "$0")/lib.sh"
main_criteria='title="^TELVOR Version 0\.38w \(x86\) - "'
# A window is mapped only while the run waits for its focus: the workspace switch comes late.
start_display "assign [$main_criteria] workspace 1
for_window [$main_criteria] exec test -e $HOME_DIR/focus-later && swaymsg workspace 1"
ev=$WORK/woche.telvor
mkdir "$HOME_DIR/other" && cp "$WORK"/TELVOR.{filter,service} "$HOME_DIR/other/"
WORK=$HOME_DIR/other start
other=$PID
dialog=$(wait_win "$DIALOG")
copy_guide
: >"$ev"
start "$ev"
question=$(wait_win "$QUESTION")
main=$(wait_win "$MAIN")
# The close requests reach telvor before the key (one connection, in order).
for step in "focus $dialog" "close $main" "focus $question" "close $main" "focus $dialog"; do $step; done
[[ $(focused) == "$DIALOG" ]] || fail "the other program's dialog lost the focus: $(windows)"
xdo "$question" key Return
wait_until 15 "Yes to mark the events" has_bytes "$ev" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\n'
holds 1 "the other program's dialog lost the focus after the question" eval '[[ $(focused) == "$DIALOG" ]]'
clip_kept "after Yes with the focus elsewhere"
running && [[ $(win "$MAIN") == "$main" ]] || fail "a close request made while the question was open ended telvor"
close "$main"
wait_exit
PID=$other
xdo "$dialog" key Escape
wait_exit

hidden() { copy_guide && printf "$OLD_EVENT" >"$ev" && swaymsg workspace 2 >/dev/null && start "$ev"; }
touch "$HOME_DIR/focus-later" && hidden
question=$(wait_win "$QUESTION")
expect "$ev" has '\r\n06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
xdo "$question" key Escape
wait_exit
rm "$HOME_DIR/focus-later" && hidden
box=$(wait_win "$QUESTION")
swaymsg workspace 1 >/dev/null
cmp -s "$ev" <(printf "$OLD_EVENT") || fail "the Event file changed though the clipboard could not be read"
expect "$DIR/telvor.err" has "telvor: cannot read the clipboard: TELVOR's window did not get the keyboard focus\n"
xdo "$(after_box "$box")" key alt+n
answered && still_open 1
clip_kept "after No"
close "$(win "$MAIN")"
wait_exit 1
clip_kept "after the end"
pass
