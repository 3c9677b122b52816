#!/usr/bin/env bash
# On Wayland the clipboard goes only to the focused program, and the
# compositor's close request reaches a window a modal dialog blocks. While
# the question is open the focus moves to another program's window and
# back, and the main window is asked to close, twice: neither request is
# taken; Yes marks the events, the clipboard (unreadable without the focus)
# is kept. The main window opens on a workspace not shown: the focus comes
# 0.3 s later, and the Guide text is read all the same; or never: nothing
# is read or added, a box says why, the clipboard is kept; status 1.
source "$(dirname "$0")/lib.sh"
main_criteria='title="^TELVOR Version 0\.38w \(x86\) - "'
start_display "assign [$main_criteria] workspace 1
for_window [$main_criteria] exec test -e $HOME_DIR/focus-later && sleep 0.3 && swaymsg workspace 1"
ev=$WORK/woche.telvor
mkdir "$HOME_DIR/other" && cp "$WORK"/TELVOR.{filter,service} "$HOME_DIR/other/"
WORK=$HOME_DIR/other start
other=$PID
dialog=$(wait_win "$DIALOG")
copy_guide
: >"$ev"
start "$ev"
question=$(wait_win "$QUESTION")
main=$(win "$MAIN")
for step in "focus $dialog" "close $main" "focus $question" "close $main" "focus $dialog"; do
    $step
    sleep 0.2
done
[[ $(focused) == "$DIALOG" ]] || fail "the other program's dialog lost the focus: $(windows)"
xdo "$question" key Return
sleep 2   # the focus goes back to the other program's dialog
[[ $(focused) == "$DIALOG" ]] || fail "the focus went to '$(focused)' after the question"
clip_kept "after Yes with the focus elsewhere"
running && [[ $(win "$MAIN") == "$main" ]] || fail "a close request made while the question was open ended telvor"
expect "$ev" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\n'
close "$main"
wait_exit
PID=$other
xdo "$dialog" key Escape
wait_exit

for focus in later never; do
    copy_guide
    printf "$OLD_EVENT" >"$ev"
    if [[ $focus == later ]]; then touch "$HOME_DIR/focus-later"; else rm -f "$HOME_DIR/focus-later"; fi
    swaymsg workspace 2 >/dev/null
    start "$ev"
    question=$(wait_win "$QUESTION")
    if [[ $focus == later ]]; then
        expect "$ev" has '\r\n06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
        xdo "$question" key Escape
        wait_exit
    else
        swaymsg workspace 1 >/dev/null   # the user looks for it
        [[ $(grep -c '^[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} ' "$ev") == 1 ]] ||
            fail "events were added from a clipboard TELVOR could not read"
        expect "$ev" starts "$OLD_EVENT"
        expect "$DIR/telvor.err" has "telvor: cannot read the clipboard: TELVOR's window did not get the keyboard focus\n"
        xdo "$(after_box "$question")" key alt+n
        still_open 1
        clip_kept "after No"
        close "$(win "$MAIN")"
        wait_exit 1
        clip_kept "after the end"
    fi
done
pass
