#include "runtime/window.h"

#include <map>
#include <utility>

namespace {

WindowServices* installed = nullptr;

// The lines of every list as they were given, by list number: searched by
// list_show_text, and the measure of every line number, whatever the
// platform's list makes of the texts.
std::map<int, std::vector<Text>> g_lines;

std::vector<Text>* lines_of(int number) {
    const auto found = g_lines.find(number);
    return installed != nullptr && found != g_lines.end() ? &found->second : nullptr;
}

bool is_line(const std::vector<Text>& lines, int line) {
    return line >= 0 && line < static_cast<int>(lines.size());
}

}  // namespace

const char* const CLIPBOARD_SILENT =
    "the program holding the clipboard did not hand over its text in time";
const char* const CLIPBOARD_NO_FOCUS = "TELVOR's window did not get the keyboard focus";
const char* const CLIPBOARD_HELD_OPEN = "another program keeps the clipboard open";

std::uint64_t clipboard_fingerprint(const std::string& content) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3u;
    };
    for (const char c : content) mix(static_cast<unsigned char>(c));
    for (std::size_t size = content.size(), i = 0; i < sizeof size; ++i, size >>= 8)
        mix(static_cast<unsigned char>(size & 0xFF));
    return hash;
}

void window_services_install(WindowServices* services) {
    installed = services;
    g_lines.clear();
}

int list_find_line(const std::vector<Text>& lines, const Text& text) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (text_equal_ignore_case(lines[i], text)) return static_cast<int>(i);
    return -1;
}

int window_open(int number, int x, int y, int width, int height, const Text& title,
                unsigned flags) {
    g_lines.clear();  // a window opened anew has no gadgets yet
    return installed ? installed->window_open(number, x, y, width, height, title, flags) : 0;
}

Text window_failure_reason() {
    return installed ? installed->window_failure_reason() : Text("no window services");
}

int list_create(int number, int x, int y, int width, int height) {
    g_lines.erase(number);
    if (!installed || !installed->list_create(number, x, y, width, height)) return 0;
    g_lines[number];
    return 1;
}

int frame_create(int number, int x, int y, int width, int height, const Text& caption) {
    g_lines.erase(number);
    return installed ? installed->frame_create(number, x, y, width, height, caption) : 0;
}

int list_add_line(int number, int position, Text text) {
    std::vector<Text>* lines = lines_of(number);
    if (lines == nullptr) return 0;
    const int count = static_cast<int>(lines->size());
    if (position == -1) position = count;
    if (position < 0 || position > count || !installed->list_add_line(number, position, text))
        return 0;
    lines->insert(lines->begin() + position, std::move(text));
    return 1;
}

void list_show_text(int number, const Text& text) {
    if (const std::vector<Text>* lines = lines_of(number))
        installed->list_set_selection(number, list_find_line(*lines, text));
}

void list_set_selection(int number, int line) {
    if (const std::vector<Text>* lines = lines_of(number))
        installed->list_set_selection(number, is_line(*lines, line) ? line : -1);
}

void list_set_line(int number, int line, const Text& text) {
    std::vector<Text>* lines = lines_of(number);
    if (lines == nullptr || !is_line(*lines, line)) return;
    installed->list_set_line(number, line, text);
    (*lines)[static_cast<std::size_t>(line)] = text;
}

void list_clear(int number) {
    std::vector<Text>* lines = lines_of(number);
    if (lines == nullptr) return;
    installed->list_clear(number);
    lines->clear();
}

int ask_yes_no_cancel(const Text& title, const Text& text, int flags) {
    return installed ? installed->message_box(title, text, flags) : ANSWER_CANCEL;
}

Path choose_file_to_open(const Text& title, const Path& default_path, const Text& pattern,
                         int pattern_index) {
    return installed ? installed->choose_file_to_open(title, default_path, pattern, pattern_index)
                     : Path();
}

ClipboardReading clipboard_get_text(int milliseconds) {
    if (installed) return installed->clipboard_get_text(milliseconds);
    ClipboardReading nothing;
    nothing.read = true;
    return nothing;
}

int clipboard_clear() { return installed ? installed->clipboard_clear() : 0; }

Text translate(const Text& text) { return installed ? installed->translate(text) : text; }

bool clipboard_holds(const ClipboardReading& captured, const ClipboardReading& now) {
    if (!captured.read) return false;
    if (captured.sequence != 0 && now.sequence == captured.sequence) return true;
    return now.read && now.fingerprint == captured.fingerprint;
}

int clipboard_clear_if_holding(const ClipboardReading& captured, int milliseconds) {
    if (!installed || !captured.read) return 0;
    ClipboardReading now;
    now.sequence = installed->clipboard_sequence();
    // Where the count of changes does not tell, the text is read again.
    if (!clipboard_holds(captured, now)) now = installed->clipboard_get_text(milliseconds);
    return clipboard_holds(captured, now) ? installed->clipboard_clear() : 0;
}

int window_wait_event() {
    return installed ? installed->window_wait_event() : WINDOW_EVENT_CLOSE;
}
