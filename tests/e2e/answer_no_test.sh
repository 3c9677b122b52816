#!/usr/bin/env bash
# Answer No: the events are kept unmarked, the clipboard is emptied, and only
# a close request ends the program.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup answer_no
e2e_start_display

event_file="$E2E_WORK/sport.telvor"
: >"$event_file"
e2e_guide_utf8 >"$E2E_DIR/guide.utf8"
e2e_clipboard_put "$E2E_DIR/guide.utf8"

e2e_step "start with an empty Event file, answer No"
e2e_start_telvor "$event_file"
question=$(e2e_wait_window "$VERSION_TITLE_RE")
e2e_keys "$question" alt+n
e2e_wait_window_gone "$VERSION_TITLE_RE"

e2e_wait_until 15 "the clipboard to be emptied" eval '[[ -z $(e2e_clipboard_text) ]]'
e2e_expect_still_running 2
e2e_screenshot answer_no-final

e2e_step "Event file: records written, none marked"
e2e_file_starts "$event_file" \
    '05.12.2009 18:00   Sportschau\r\nGenre: Fu\xdfball-Bundesliga, 15. Spieltag\r\nAlle Spiele, alle Tore, alle Stimmen.\r\n\r\n' \
    "first record"
e2e_file_has "$event_file" '\r\n06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n' "o umlaut"
e2e_file_lacks "$event_file" ' + ' "marks after No"

e2e_step "a second close request while one is pending is harmless; the window closes"
main=$(e2e_find_window "$MAIN_TITLE_RE")
e2e_close_window "$main"
e2e_close_window "$main" 2>/dev/null || true
e2e_wait_exit 15
e2e_expect_exit_0
e2e_expect_no_working_files
echo "PASS answer_no"
