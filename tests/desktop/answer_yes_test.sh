#!/usr/bin/env bash
# Event file as parameter (a name with a space, as a full path in the
# platform's form), Guide text with umlauts on the clipboard, answer Yes: the
# events land in Windows-1252 with every Event line marked " + ", the
# clipboard is emptied, and the program runs until its window is closed.
# Argument: e2e (the Linux program) or wine (telvor.exe under Wine).
source "$(dirname "$0")/../${1:?which desktop: e2e or wine}/lib.sh"
# Besides the sample: no-break spaces, an en dash and a euro sign (both in
# Windows-1252), an arrow and a character beyond 16 bits (neither), and a 0
# byte that ends the text: the block behind it is not taken.
start_session 'Sa. 12.12.2009\t3sat\tKunst\xc2\xa0am\xc2\xa0Abend \xe2\x80\x93 Preis 5\xc2\xa0\xe2\x82\xac \xe2\x86\x92 Finale \xf0\x9f\x8e\xac\r\n'\
'20:15\t30 min.\tKultur\r\n20:45\t\xc3\x9cber Kunst.\r\n\0Mo. 14.12.2009\tarte\tVerborgen\r\n20:15\t30 min.\tKultur\r\n20:45\tNichts.\r\n'
ev="$WORK/woche 49.telvor"
printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' >"$ev"
start "$(native_path "$ev")"
question=$(wait_win "$QUESTION")
shot question
xdo "$question" key Return   # Yes is the default button
wait_until 15 "the clipboard to be emptied" clip_empty
still_open 1
shot final
expect "$ev" starts '04.12.2009 20:15 + Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n'
expect "$ev" has '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\nKommissar Lannert ermittelt im Stuttgarter Hafen.\r\n\r\n'
expect "$ev" has '05.12.2009 18:00 + Sportschau\r\nGenre: Fu\xdfball-Bundesliga, 15. Spieltag\r\n'
expect "$ev" has 'Live aus Graz. Mit G\xe4sten aus Film, Musik und Sport.\r\n'
expect "$ev" has '12.12.2009 20:15 + Kunst am Abend \x96 Preis 5 \x80 ? Finale ?\r\nGenre: Kultur\r\n\xdcber Kunst.\r\n'
for bytes in Verborgen '\xc3' '\xa0'; do expect "$ev" lacks "$bytes"; done
# Every Event line (date, time) is marked, and all ten are there.
[[ $(grep -c '^[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} [0-9][0-9]:[0-9][0-9] + ' "$ev") == 10 &&
    -z $(awk 'substr($0,3,1)=="." && substr($0,14,1)==":" && substr($0,17,3)!=" + "' "$ev") ]] ||
    fail "not all ten Event lines are marked"
wmctrl -i -c "$(win "$MAIN")"
wait_exit
pass
