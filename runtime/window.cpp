#include "runtime/window.h"

namespace {
WindowServices* installed = nullptr;
}

void window_services_install(WindowServices* services) { installed = services; }

int list_find_line(const std::vector<Text>& lines, const Text& text) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (text_equal_ignore_case(lines[i], text)) return static_cast<int>(i);
    return -1;
}

int list_insert_line(std::vector<Text>& lines, int position, const Text& text) {
    const int count = static_cast<int>(lines.size());
    if (position == -1) position = count;
    if (position < 0 || position > count) return -1;
    lines.insert(lines.begin() + position, text);
    return position;
}

int window_open(int number, int x, int y, int width, int height, const Text& title,
                unsigned flags) {
    return installed ? installed->window_open(number, x, y, width, height, title, flags) : 0;
}

Text window_failure_reason() {
    return installed ? installed->window_failure_reason() : Text("no window services");
}

int list_create(int number, int x, int y, int width, int height) {
    return installed ? installed->list_create(number, x, y, width, height) : 0;
}

int frame_create(int number, int x, int y, int width, int height, const Text& caption) {
    return installed ? installed->frame_create(number, x, y, width, height, caption) : 0;
}

int list_add_line(int number, int position, const Text& text) {
    return installed ? installed->list_add_line(number, position, text) : 0;
}

void list_show_text(int number, const Text& text) {
    if (installed) installed->list_show_text(number, text);
}

void list_set_selection(int number, int line) {
    if (installed) installed->list_set_selection(number, line);
}

void list_set_line(int number, int line, const Text& text) {
    if (installed) installed->list_set_line(number, line, text);
}

void list_clear(int number) {
    if (installed) installed->list_clear(number);
}

int ask_yes_no_cancel(const Text& title, const Text& text, int flags) {
    return installed ? installed->message_box(title, text, flags) : ANSWER_CANCEL;
}

Path choose_file_to_open(const Text& title, const Path& default_path, const Text& pattern,
                         int pattern_index) {
    return installed ? installed->choose_file_to_open(title, default_path, pattern, pattern_index)
                     : Path();
}

Text clipboard_get_text() { return installed ? installed->clipboard_get_text() : Text(); }

int clipboard_clear() { return installed ? installed->clipboard_clear() : 0; }

int window_wait_event() {
    return installed ? installed->window_wait_event() : WINDOW_EVENT_CLOSE;
}
