#!/usr/bin/env bash
# On a German desktop (LANG=de_DE.UTF-8, a German keyboard) Qt's own texts
# are German: the open-file dialog's button is "&Öffnen" (Alt+Ö opens) and
# the question's Yes button "&Ja" (Alt+J answers Yes), and so are TELVOR's
# messages (the failed steps, with the system's reason). With LC_ALL=C
# Alt+J does nothing.
source "$(dirname "$0")/lib.sh"
# A German locale for the C library as well, made in the scratch folder.
mkdir -p "$DIR/locale"
localedef -i de_DE -f UTF-8 "$DIR/locale/de_DE.UTF-8" 2>/dev/null || fail "localedef de_DE.UTF-8"
start_session
# Alt+Ö is then a key of its own, not one xdotool maps for the moment
# (which Qt may read only after it is mapped back).
setxkbmap de || fail "setxkbmap de"
german() { LC_ALL= LANG=de_DE.UTF-8 LOCPATH=$DIR/locale start "$@"; }
german
dialog=$(wait_win "$DIALOG")
xdo "$dialog" type Neu
xdo "$dialog" key alt+odiaeresis
question=$(wait_win "$QUESTION")
shot question
xdo "$question" key alt+j
wait_until 15 "the clipboard to be emptied" clip_empty
still_open 1
expect "$WORK/Neu.telvor" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\n'
wmctrl -i -c "$(win "$MAIN")"
wait_exit

german fehlt.telvor
box=$(wait_win "$QUESTION")
[[ $(box_text "$box") == *$'\nTELVOR konnte diese Schritte nicht ausf\xc3\xbchren:\nkann fehlt.telvor nicht lesen: Datei oder Verzeichnis nicht gefunden\n'* ]] ||
    fail "the box: $(clip)"
xdo "$box" key Return
wait_until 10 "the box to close" eval '[[ $(win "$QUESTION") != "$box" ]]'
xdo "$(wait_win "$QUESTION")" key Escape
wait_exit 1

start Neu.telvor
question=$(wait_win "$QUESTION")
xdo "$question" key alt+j
sleep 1
[[ -n $(win "$QUESTION") ]] && running || fail "Alt+J answered the question in the C locale"
xdo "$question" key Escape
wait_exit
pass
