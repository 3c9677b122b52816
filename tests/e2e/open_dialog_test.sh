#!/usr/bin/env bash
# No parameter: the open-file dialog opens in the Program directory. A typed
# new name becomes NAME.telvor there with the New-file header; cancelling
# the dialog ends the program at once, without the question, and leaves the
# clipboard alone.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup open_dialog
e2e_start_display

e2e_guide_utf8 >"$E2E_DIR/guide.utf8"
e2e_clipboard_put "$E2E_DIR/guide.utf8"

e2e_step "the dialog opens"
e2e_start_telvor
dialog=$(e2e_wait_window "$DIALOG_TITLE_RE")
e2e_screenshot open_dialog-dialog
# xprop shows the title's UTF-8 bytes in octal: ä is \303\244.
[[ "$(xprop -id "$dialog" _NET_WM_NAME)" == '_NET_WM_NAME(UTF8_STRING) = "Bitte Datei zum Laden ausw\303\244hlen"' ]] ||
    e2e_fail "dialog title: $(xprop -id "$dialog" _NET_WM_NAME)"

e2e_step "a name in a folder that does not exist is refused"
e2e_type "$dialog" fehlt/Neu
e2e_keys "$dialog" Return
dialog_windows() { xdotool search --onlyvisible --name "$DIALOG_TITLE_RE" 2>/dev/null | wc -l; }
e2e_wait_until 10 "the warning about the missing folder" eval '[[ $(dialog_windows) == 2 ]]'
e2e_screenshot open_dialog-missing-folder
xdotool key Return
e2e_wait_until 10 "the warning to close" eval '[[ $(dialog_windows) == 1 ]]'
e2e_telvor_running || e2e_fail "telvor ended after the refused name"

e2e_step "type a new name"
e2e_keys "$dialog" ctrl+a BackSpace
e2e_type "$dialog" Neu
e2e_keys "$dialog" Return
question=$(e2e_wait_window "$VERSION_TITLE_RE")
new_file="$E2E_WORK/Neu.telvor"
[[ -f "$new_file" ]] || e2e_fail "Neu.telvor was not created in the Program directory"
# The header's Creation line: stamp, the path in upper case, the fixed words.
first_line=$(head -n 1 "$new_file")
stamp_re='^[0-3][0-9]\.[01][0-9]\.[0-9]{4} [0-2][0-9]:[0-5][0-9] -- >>> '
[[ "$first_line" =~ $stamp_re ]] || e2e_fail "Creation line without stamp: $first_line"
[[ "${first_line#* -- >>> }" == "${new_file^^} <<< -- File new created..."$'\r' ]] ||
    e2e_fail "Creation line: $first_line"
e2e_file_has "$new_file" ' <<< -- File new created...\r\nGenre: created...\r\nDescription created...\r\n\r\n' \
    "New-file header"
e2e_file_has "$new_file" '06.12.2009 20:15   Tatort: T\xf6dliche Tarnung\r\n' "Guide text converted"
e2e_keys "$question" Escape
e2e_wait_exit 15
e2e_expect_exit_0
e2e_expect_no_working_files

e2e_step "cancel the dialog"
before=$(cd "$E2E_WORK" && ls -l --time-style=+%s.%N)
e2e_start_telvor
dialog=$(e2e_wait_window "$DIALOG_TITLE_RE")
e2e_keys "$dialog" Escape
tries=150
while e2e_telvor_running; do
    e2e_window_absent "$VERSION_TITLE_RE" || e2e_fail "the question was asked after the dialog was cancelled"
    ((tries-- > 0)) || e2e_fail "telvor did not end after the dialog was cancelled"
    sleep 0.1
done
TELVOR_RC=0
wait "$TELVOR_PID" || TELVOR_RC=$?
e2e_expect_exit_0
[[ "$(cd "$E2E_WORK" && ls -l --time-style=+%s.%N)" == "$before" ]] ||
    e2e_fail "the cancelled run changed the Program directory"
e2e_clipboard_text >"$E2E_DIR/clipboard-now.utf8"
cmp -s "$E2E_DIR/guide.utf8" "$E2E_DIR/clipboard-now.utf8" || e2e_fail "the clipboard was changed"
echo "PASS open_dialog"
