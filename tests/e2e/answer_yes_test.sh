#!/usr/bin/env bash
# Event file named on the command line, Guide text with umlauts and other
# non-ASCII characters on the clipboard, answer Yes: the Event file holds
# the events in Windows-1252, every Event line is marked " + ", the
# clipboard is emptied, and the program waits until its window is closed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup answer_yes
e2e_start_display

event_file="$E2E_WORK/woche 49.telvor"
printf '04.12.2009 20:15   Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' >"$event_file"

# The sample Guide text and one more block: no-break spaces (as a browser
# copies them), an en dash and a euro sign (in Windows-1252), an arrow and a
# character beyond 16 bits (neither in Windows-1252). A 0 byte ends the text:
# the block behind it is not taken.
{
    e2e_guide_utf8
    printf 'Sa. 12.12.2009\t3sat\tKunst\xc2\xa0am\xc2\xa0Abend \xe2\x80\x93 Preis 5\xc2\xa0\xe2\x82\xac \xe2\x86\x92 Finale \xf0\x9f\x8e\xac\r\n'
    printf '20:15\t30 min.\tKultur\r\n20:45\t\xc3\x9cber Kunst.\r\n'
    printf '\0Mo. 14.12.2009\tarte\tVerborgen\r\n20:15\t30 min.\tKultur\r\n20:45\tNichts.\r\n'
} >"$E2E_DIR/guide.utf8"
e2e_clipboard_put "$E2E_DIR/guide.utf8"

e2e_step "start with the Event file as parameter"
e2e_start_telvor "$event_file"
question=$(e2e_wait_window "$VERSION_TITLE_RE")
e2e_screenshot answer_yes-question
e2e_keys "$question" Return   # Yes is the default button
e2e_wait_window_gone "$VERSION_TITLE_RE"

e2e_step "after Yes: clipboard emptied, window still open"
e2e_wait_until 15 "the clipboard to be emptied" eval '[[ -z $(e2e_clipboard_text) ]]'
e2e_expect_still_running 1
e2e_screenshot answer_yes-final

e2e_step "Event file content"
# The earlier record comes first, now marked.
e2e_file_starts "$event_file" '04.12.2009 20:15 + Krimi-Abend\r\nGenre: Krimi\r\nAlter Fall.\r\n\r\n' \
    "earlier record"
# A whole new record, byte for byte, with its umlaut as one byte.
e2e_file_has "$event_file" \
    '\r\n06.12.2009 20:15 + Tatort: T\xf6dliche Tarnung\r\nGenre: Krimi\r\nKommissar Lannert ermittelt im Stuttgarter Hafen.\r\n\r\n' \
    "Tatort record"
e2e_file_has "$event_file" '05.12.2009 18:00 + Sportschau\r\nGenre: Fu\xdfball-Bundesliga, 15. Spieltag\r\n' "sharp s"
e2e_file_has "$event_file" 'Live aus Graz. Mit G\xe4sten aus Film, Musik und Sport.\r\n' "a umlaut"
e2e_file_has "$event_file" 'Themen: Die Weihnachtsausstellung im Louvre; B\xfccher des Jahres.\r\n' "u umlaut"
e2e_file_has "$event_file" '12.12.2009 20:15 + ' "added block"
e2e_file_has "$event_file" 'Kunst am Abend \x96 Preis 5 \x80 ? Finale ?\r\nGenre: Kultur\r\n\xdcber Kunst.\r\n' \
    "no-break spaces, dash, euro, arrow and clapper board"
e2e_file_lacks "$event_file" 'Verborgen' "text behind a 0 byte"
e2e_file_lacks "$event_file" '\xc3' "UTF-8 bytes"
e2e_file_lacks "$event_file" '\xa0' "no-break space"
unmarked=$(awk 'substr($0,3,1)=="." && substr($0,14,1)==":" && substr($0,17,3)!=" + "' "$event_file")
[[ -z "$unmarked" ]] || e2e_fail "Event lines left unmarked: $unmarked"
marked=$(grep -c '^[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} [0-9][0-9]:[0-9][0-9] + ' "$event_file" || true)
[[ "$marked" == 10 ]] || e2e_fail "$marked marked Event lines, expected 10"

e2e_step "close the window"
e2e_close_window "$(e2e_find_window "$MAIN_TITLE_RE")"
e2e_wait_exit 15
e2e_expect_exit_0
e2e_expect_no_working_files
echo "PASS answer_yes"
