#include "support/scripted_window.h"

#include <algorithm>

int ScriptedList::visible_rows() const {
    // Lines of 13 pixels inside a sunken edge of two pixels on each side; at least one row.
    return std::max(1, (height - 4) / 13);
}

std::vector<Text> ScriptedWindow::lines_of(int number) const {
    auto it = lists.find(number);
    return it == lists.end() ? std::vector<Text>{} : it->second.lines;
}

ScriptedList* ScriptedWindow::find_list(int number) {
    auto it = lists.find(number);
    return it == lists.end() ? nullptr : &it->second;
}

int ScriptedWindow::window_open(int, int, int, int, int, const Text&, unsigned) {
    if (window_fails) return 0;
    window_is_open = true;
    return 1;
}

Text ScriptedWindow::window_failure_reason() {
    return window_fails ? Text("the scripted window services were told to fail") : Text();
}

int ScriptedWindow::list_create(int number, int, int, int, int height) {
    if (!window_is_open) return 0;
    lists[number] = ScriptedList{height, {}, -1, 0};
    return 1;
}

int ScriptedWindow::frame_create(int number, int, int, int, int, const Text& caption) {
    if (!window_is_open) return 0;
    frames[number] = caption;
    return 1;
}

int ScriptedWindow::list_add_line(int number, int position, std::string_view text) {
    ScriptedList* list = find_list(number);
    if (list == nullptr) return 0;
    if (keep_lines) list->lines.insert(list->lines.begin() + position, Text(text));
    if (list->selection >= position) list->selection++;
    return 1;
}

void ScriptedWindow::list_set_selection(int number, int line) {
    ScriptedList* list = find_list(number);
    if (list == nullptr) return;
    list->selection = line;
    if (line < 0) return;
    // Scrolled just far enough that the selected line is visible.
    if (line < list->top) list->top = line;
    if (line >= list->top + list->visible_rows()) list->top = line - list->visible_rows() + 1;
}

void ScriptedWindow::list_set_line(int number, int line, std::string_view text) {
    ScriptedList* list = find_list(number);
    if (list == nullptr) return;
    if (keep_lines) list->lines[static_cast<size_t>(line)] = text;
    if (list->selection == line) list->selection = -1;
}

void ScriptedWindow::list_clear(int number) {
    ScriptedList* list = find_list(number);
    if (list == nullptr) return;
    list->lines.clear();
    list->selection = -1;
    list->top = 0;
}

int ScriptedWindow::message_box(const Text&, const Text& text, int flags) {
    if ((flags & 0xF) != ASK_YES_NO_CANCEL) {
        messages.push_back(text);
        return ANSWER_OK;
    }
    questions_asked++;
    if (later_copy) {
        clipboard = *later_copy;
        clipboard_has_text = true;
        later_copy.reset();
    }
    return answer;
}

Path ScriptedWindow::choose_file_to_open(const Text& title, const Path& default_path,
                                         const Text& pattern, int) {
    dialog_title = title;
    dialog_default_path = default_path;
    dialog_pattern = pattern;
    return chosen_path;
}

ClipboardReading ScriptedWindow::clipboard_get_text(int /*milliseconds*/) {
    ClipboardReading reading;
    if (clipboard_silent) {
        reading.failure = CLIPBOARD_SILENT;
        return reading;
    }
    reading.read = true;
    // A clipboard text ends at its first 0 byte.
    if (clipboard_has_text) reading.text = clipboard.substr(0, clipboard.find('\0'));
    reading.fingerprint = clipboard_fingerprint(reading.text);
    return reading;
}

unsigned long long ScriptedWindow::clipboard_sequence() { return 0; }

bool ScriptedWindow::prefers_german() { return german; }

int ScriptedWindow::clipboard_clear() {
    clipboard_cleared = true;
    clipboard_has_text = false;
    clipboard.clear();
    return 1;
}

int ScriptedWindow::window_wait_event() {
    events_waited++;
    if (events_before_close > 0) {
        events_before_close--;
        return WINDOW_EVENT_OTHER;
    }
    return WINDOW_EVENT_CLOSE;
}
