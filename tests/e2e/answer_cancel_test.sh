#!/usr/bin/env bash
# Cancel, by Esc and by the question's close box: the program ends right
# after the question, its window goes with it, and the clipboard still holds
# the Guide text.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup answer_cancel
e2e_start_display

event_file="$E2E_WORK/film.telvor"
: >"$event_file"
e2e_guide_utf8 >"$E2E_DIR/guide.utf8"
e2e_clipboard_put "$E2E_DIR/guide.utf8"

expect_clipboard_kept() {
    e2e_clipboard_text >"$E2E_DIR/clipboard-now.utf8"
    cmp -s "$E2E_DIR/guide.utf8" "$E2E_DIR/clipboard-now.utf8" ||
        e2e_fail "the clipboard lost the Guide text ($1)"
}

e2e_step "Esc answers Cancel"
e2e_start_telvor "$event_file"
question=$(e2e_wait_window "$VERSION_TITLE_RE")
e2e_screenshot answer_cancel-question
e2e_keys "$question" Escape
e2e_wait_exit 15
e2e_expect_exit_0
[[ -z $(e2e_find_window "$MAIN_TITLE_RE") ]] || e2e_fail "the main window outlived the program"
expect_clipboard_kept Esc
e2e_file_has "$event_file" '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n' "conversion before the question"
e2e_expect_no_working_files

e2e_step "the question's close box answers Cancel"
e2e_start_telvor "$event_file"
question=$(e2e_wait_window "$VERSION_TITLE_RE")
e2e_close_window "$question"
e2e_wait_exit 15
e2e_expect_exit_0
expect_clipboard_kept "close box"
echo "PASS answer_cancel"
