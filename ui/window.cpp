#include "ui/window.h"

#include <vector>

#include "base/codepage.h"
#include "base/hash.h"

namespace {

// The program's messages in German: English text, then the translation in
// UTF-8, made from ui/telvor_de.ts by the build.
struct Translation {
    const char* english;
    const char* german;
};
constexpr Translation GERMAN[] = {
#include "telvor_de.inc"
};

WindowServices* installed = nullptr;

// The lines of a list as they were given, the measure of every line number
// whatever the platform's list makes of the texts, and searched by
// list_show_text: each kept as the hash of its text with letter case
// ignored, 8 bytes instead of a copy of the text (the Event view holds a
// line for every event). Two lines that differ share a hash by chance alone,
// about once in 10^19 pairs; list_show_text would then select the one
// before.
struct ListLines {
    int number = 0;
    std::vector<std::uint64_t> lines;
};
// A window has a handful of lists: they are looked up one after another.
std::vector<ListLines> g_lists;

ListLines* lines_of(int number) {
    for (ListLines& list : g_lists)
        if (list.number == number) return &list;
    return nullptr;
}

// Forgets the lines of a gadget that is replaced.
void forget_lines(int number) {
    std::erase_if(g_lists, [number](const ListLines& list) { return list.number == number; });
}

bool is_line(const ListLines& list, int line) {
    return line >= 0 && line < static_cast<int>(list.lines.size());
}

// The first of the lines equal to text with letter case ignored in
// Windows-1252; -1 when there is none.
int find_line(const ListLines& list, const Text& text) {
    const std::uint64_t sought = text_hash_ignore_case(text);
    for (std::size_t i = 0; i < list.lines.size(); ++i)
        if (list.lines[i] == sought) return static_cast<int>(i);
    return -1;
}

}  // namespace

const char* const CLIPBOARD_SILENT =
    "the program holding the clipboard did not hand over its text in time";
const char* const CLIPBOARD_NO_FOCUS = "TELVOR's window did not get the keyboard focus";
const char* const CLIPBOARD_HELD_OPEN = "another program keeps the clipboard open";

std::uint64_t clipboard_fingerprint(std::string_view content) { return text_hash(content); }

void window_services_install(WindowServices* services) {
    installed = services;
    g_lists.clear();
}

int window_open(int number, int x, int y, int width, int height, const Text& title,
                unsigned flags) {
    g_lists.clear();  // a window opened anew has no gadgets yet
    return installed ? installed->window_open(number, x, y, width, height, title, flags) : 0;
}

Text window_failure_reason() {
    return installed ? installed->window_failure_reason() : Text("no window services");
}

int list_create(int number, int x, int y, int width, int height) {
    forget_lines(number);
    if (!installed || !installed->list_create(number, x, y, width, height)) return 0;
    g_lists.emplace_back().number = number;
    return 1;
}

int frame_create(int number, int x, int y, int width, int height, const Text& caption) {
    forget_lines(number);
    return installed ? installed->frame_create(number, x, y, width, height, caption) : 0;
}

int list_add_line(int number, int position, std::string_view text) {
    ListLines* list = lines_of(number);
    if (list == nullptr) return 0;
    const int count = static_cast<int>(list->lines.size());
    if (position == -1) position = count;
    if (position < 0 || position > count || !installed->list_add_line(number, position, text))
        return 0;
    const std::uint64_t kept = text_hash_ignore_case(text);
    if (position == count)
        list->lines.push_back(kept);
    else
        list->lines.insert(list->lines.begin() + position, kept);
    return 1;
}

void list_show_text(int number, const Text& text) {
    if (const ListLines* list = lines_of(number)) installed->list_set_selection(number, find_line(*list, text));
}

void list_set_selection(int number, int line) {
    if (const ListLines* list = lines_of(number))
        installed->list_set_selection(number, is_line(*list, line) ? line : -1);
}

void list_set_line(int number, int line, std::string_view text) {
    ListLines* list = lines_of(number);
    if (list == nullptr || !is_line(*list, line)) return;
    installed->list_set_line(number, line, text);
    list->lines[static_cast<std::size_t>(line)] = text_hash_ignore_case(text);
}

void list_clear(int number) {
    ListLines* list = lines_of(number);
    if (list == nullptr) return;
    installed->list_clear(number);
    // The memory stays for the lines that follow (the Marking pass shows as
    // many as the conversion did).
    list->lines.clear();
}

int list_line_count(int number) {
    const ListLines* list = lines_of(number);
    return list == nullptr ? 0 : static_cast<int>(list->lines.size());
}

int ask_yes_no_cancel(const Text& title, const Text& text) {
    return installed ? installed->message_box(title, text, ASK_YES_NO_CANCEL) : ANSWER_CANCEL;
}

void show_stop_message(const Text& title, const Text& text) {
    if (installed) installed->message_box(title, text, ASK_OK | ASK_ICON_STOP);
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

Text translate(const Text& text) {
    if (!installed || !installed->prefers_german()) return text;
    for (const Translation& translation : GERMAN)
        if (text == translation.english) return cp1252_from_utf8(translation.german);
    return text;
}

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
