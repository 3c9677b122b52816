#!/usr/bin/env bash
# On a German desktop (LANG=de_DE.UTF-8) Qt's own texts are German: the
# open-file dialog's button is "&Öffnen" (Alt+Ö opens) and the question's
# Yes button "&Ja" (Alt+J answers Yes); with LC_ALL=C Alt+J does nothing.
# TELVOR's messages (the failed steps) are German as well.
# The program's own texts and the Event file's bytes do not change.
source "$(dirname "$0")/lib.sh"
# A German locale for the C library as well, made in the scratch folder.
mkdir -p "$DIR/locale"
localedef -i de_DE -f UTF-8 "$DIR/locale/de_DE.UTF-8" 2>/dev/null || fail "localedef de_DE.UTF-8"
start_session
# A German keyboard too: Alt+Ö is then a key of its own, not one xdotool
# maps for the moment (which Qt may read only after it is mapped back).
setxkbmap de || fail "setxkbmap de"
LC_ALL= LANG=de_DE.UTF-8 LOCPATH=$DIR/locale start
dialog=$(wait_win "$DIALOG")
shot dialog
xdo "$dialog" type Neu
xdo "$dialog" key alt+odiaeresis
question=$(wait_win "$QUESTION")
shot question
new=$WORK/Neu.telvor
re=$'^[0-3][0-9]\\.[01][0-9]\\.[0-9]{4} [0-2][0-9]:[0-5][0-9] -- >>> (.*)\r$'
[[ $(head -n 1 "$new") =~ $re && ${BASH_REMATCH[1]} == "${new^^} <<< -- File new created..." ]] ||
    fail "Creation line: $(head -n 1 "$new" 2>&1)"
xdo "$question" key alt+j
wait_until 15 "the clipboard to be emptied" clip_empty
still_open 1
expect "$new" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\n'
expect "$new" has '\r\n05.12.2009 18:00 + Sportschau\r\nGenre: Fu\xdfball-Bundesliga, 15. Spieltag\r\n'
wmctrl -i -c "$(win "$MAIN")"
wait_exit

# TELVOR's own messages are German too: the box that lists failed steps,
# with the system's reason in German.
LC_ALL= LANG=de_DE.UTF-8 LOCPATH=$DIR/locale start fehlt.telvor
box=$(wait_win "$QUESTION")
[[ $(box_text "$box") == *$'\nTELVOR konnte diese Schritte nicht ausf\xc3\xbchren:\nkann fehlt.telvor nicht lesen: Datei oder Verzeichnis nicht gefunden\n'* ]] ||
    fail "the box: $(clip)"
xdo "$box" key Return
wait_until 10 "the box to close" eval '[[ $(win "$QUESTION") != "$box" ]]'
xdo "$(wait_win "$QUESTION")" key Escape
wait_exit 1

# In the C locale the buttons are English: Alt+J leaves the question open.
start "$new"
question=$(wait_win "$QUESTION")
xdo "$question" key alt+j
sleep 1
[[ -n $(win "$QUESTION") ]] && running || fail "Alt+J answered the question in the C locale"
xdo "$question" key Escape
wait_exit
echo "PASS $NAME"
