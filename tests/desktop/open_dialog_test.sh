#!/usr/bin/env bash
# No parameter: the open-file dialog, with its exact title, opens in the
# Program directory. A typed new name becomes NAME.telvor there with the
# New-file header; a typed name whose .telvor file exists means that file;
# cancelling the dialog ends the program at once, without the question,
# changing nothing.
# Argument: e2e (the Linux program) or wine (telvor.exe under Wine).
source "$(dirname "$0")/../${1:?which desktop: e2e or wine}/lib.sh"
start_session
printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' >"$WORK/alt.telvor"
for name in Neu alt; do
    start
    dialog=$(wait_win "$DIALOG")
    [[ $(xprop -id "$dialog" _NET_WM_NAME) == '_NET_WM_NAME(UTF8_STRING) = "Bitte Datei zum Laden ausw\303\244hlen"' ]] ||
        fail "dialog title: $(xprop -id "$dialog" _NET_WM_NAME)"
    [[ $name == alt ]] || shot dialog
    xdo "$dialog" type $name
    xdo "$dialog" key Return
    xdo "$(wait_win "$QUESTION")" key Escape
    wait_exit
done
# The Creation line: stamp, the path (the platform's form) in upper case,
# the fixed words.
new=$WORK/Neu.telvor
re=$'^[0-3][0-9]\\.[01][0-9]\\.[0-9]{4} [0-2][0-9]:[0-5][0-9] -- >>> (.*)\r$'
want=$(native_path "$new")
[[ -f $new && $(head -n 1 "$new") =~ $re && ${BASH_REMATCH[1]} == "${want^^} <<< -- File new created..." ]] ||
    fail "Creation line: $(head -n 1 "$new" 2>&1)"
expect "$new" has ' <<< -- File new created...\r\nGenre: created...\r\nDescription created...\r\n\r\n'
expect "$new" has '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n'
expect "$WORK/alt.telvor" starts '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n05.12.2009 18:00   Sportschau\r\n'
[[ ! -e $WORK/alt && ! -e $WORK/Neu ]] || fail "a file without the extension was made"

before=$(ls -l --time-style=+%s.%N "$WORK")
start
xdo "$(wait_win "$DIALOG")" key Escape
tries=150
while running && ((tries-- > 0)); do
    [[ -z $(win "$QUESTION") ]] || fail "the question was asked after the dialog was cancelled"
    sleep 0.1
done
wait_exit
[[ $(ls -l --time-style=+%s.%N "$WORK") == "$before" ]] || fail "the cancelled run changed the Program directory"
clip_kept "after the cancelled dialog"
pass
