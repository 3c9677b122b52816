#!/usr/bin/env bash
# On Wayland the clipboard goes only to the focused program. TELVOR's main
# window opens on workspace 1 while the user looks at workspace 2:
# - the focus comes 0.3 s later (the user switches over): TELVOR, waiting
#   for it, reads the Guide text all the same;
# - the focus never comes: after its wait TELVOR reads nothing and adds no
#   event; a box says that the clipboard could not be read because its
#   window did not get the keyboard focus, then the question; the clipboard
#   stays as it was, after No too, and the run ends with status 1.
source "$(dirname "$0")/lib.sh"
cat >"$DIR/focus-later" <<'SCRIPT'
#!/bin/sh
sleep 0.3
swaymsg workspace 1 >/dev/null
SCRIPT
chmod 755 "$DIR/focus-later"
main_criteria='title="^TELVOR Version 0\.38w \(x86\) - "'
start_sway "assign [$main_criteria] workspace 1
for_window [$main_criteria] exec test -e $HOME_DIR/focus-later && $DIR/focus-later"
ev=$WORK/woche.telvor
old_event='04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n'
for focus in later never; do
    copy_guide
    printf "$old_event" >"$ev"
    give "$ev"
    if [[ $focus == later ]]; then touch "$HOME_DIR/focus-later"; else rm -f "$HOME_DIR/focus-later"; fi
    swaymsg workspace 2 >/dev/null
    start "$ev"
    question=$(wait_win "$QUESTION")
    [[ $focus == later ]] || swaymsg workspace 1 >/dev/null   # the user looks for it
    if [[ $focus == later ]]; then
        expect "$ev" has '\r\n06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
        key "$question" -M alt -k n -m alt
        wait_until 15 "the clipboard to be emptied" clip_empty
        close "$(win "$MAIN")"
        wait_exit
    else
        [[ $(grep -c '^[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} ' "$ev") == 1 ]] ||
            fail "events were added from a clipboard TELVOR could not read"
        expect "$ev" starts "$old_event"
        box=$question
        expect "$DIR/telvor.err" has "telvor: cannot read the clipboard: TELVOR's window did not get the keyboard focus\n"
        key "$box" -k Return
        wait_until 10 "the question after the box" eval '[[ -n $(win "$QUESTION") && $(win "$QUESTION") != "$box" ]]'
        key "$(win "$QUESTION")" -M alt -k n -m alt
        sleep 1 && running || fail "telvor ended before its window was closed"
        clip_kept "after No"
        close "$(win "$MAIN")"
        wait_exit 1
        clip_kept "after No"
    fi
done
echo "PASS $NAME"
