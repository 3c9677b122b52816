#include "steps/lists.h"

#include <cstdio>
#include <vector>

#include "base/codepage.h"
#include "base/sort.h"
#include "fs/file.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "ui/window.h"

namespace {

const int SHORTEST_ENTRY = 3;  // shorter lines are not entries

// The entries of the list file open in LIST_SLOT, in file order: its lines
// without their trailing blanks, less those shorter than an entry. Entries
// that Windows-1252 cannot hold are left out, each named on stderr and by
// a line for the list's view in left_out.
//
// Lists are Windows-1252, but Linux editors and today's Notepad save UTF-8
// by default. A file that is valid UTF-8 throughout and holds characters
// beyond ASCII (a byte-order mark counts) is such a file: its lines are
// converted to Windows-1252, the mark dropped. Any other file is taken byte
// for byte, whatever the order of its lines; text in Windows-1252 with a
// letter beyond ASCII is practically never valid UTF-8.
std::vector<Text> read_entries(const Text& name, std::vector<Text>& left_out) {
    std::vector<Text> lines;
    bool utf8 = true;
    bool beyond_ascii = false;
    while (!file_at_end(LIST_SLOT)) {
        Text line(file_read_line_trimmed(LIST_SLOT));
        if (utf8 && !ascii_only(line)) {
            beyond_ascii = true;
            utf8 = utf8_is_valid(line);
        }
        lines.push_back(std::move(line));
    }
    std::vector<Text> entries;
    static const Text BYTE_ORDER_MARK = "\xEF\xBB\xBF";
    if (utf8 && beyond_ascii && lines.front().starts_with(BYTE_ORDER_MARK))
        lines.front().erase(0, BYTE_ORDER_MARK.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Text entry = utf8 && beyond_ascii ? cp1252_from_utf8(lines[i]) : lines[i];
        if (text_length(entry) < SHORTEST_ENTRY) continue;
        if (!utf8 || !beyond_ascii || cp1252_holds_utf8(lines[i])) {
            entries.push_back(entry);
            continue;
        }
        // Never "?" in place of what is missing: a term of three unknown
        // letters would match every title that has three other ones.
        const std::string number = std::to_string(i + 1);
        std::fprintf(stderr, "telvor: %s, line %s: \"%s\" left out: Windows-1252 cannot hold it\n", name.c_str(),
                     number.c_str(), lines[i].c_str());
        left_out.push_back("Line " + number + ": >>> " + entry + " <<< left out, not Windows-1252...");
    }
    return entries;
}

// Opens a list file in LIST_SLOT, or shows "Not reading..." in its view. A
// file that is there but cannot be read fails the run's step; a missing one
// only leaves its list empty.
bool open_list_file(RunState& run, int view, const Path& path, const Text& name) {
    FileResult opened = file_open_read(LIST_SLOT, path);
    if (opened) return true;
    if (file_entry_exists(path)) run_step_failed(run, "read", path, opened.failure());
    view_add(view, progress_file_line(name, "Not reading..."));
    view_add(view, SEPARATOR_LINE);
    return false;
}

// Closes the list file, whose read may have failed on the way, and shows the
// closing lines.
void close_list_file(RunState& run, int view, const Path& path, const Text& name) {
    if (FileResult closed = file_close(LIST_SLOT); !closed) run_step_failed(run, "read", path, closed.failure());
    view_add(view, SEPARATOR_LINE);
    view_add(view, progress_file_line(name, "reading complete..."));
    view_add(view, SEPARATOR_LINE);
}

}  // namespace

std::vector<Text> read_filter_file(RunState& run, Text& last_shown) {
    if (!open_list_file(run, FILTER_VIEW, run.filter_file_path, "TELVOR.filter")) return {};
    std::vector<Text> left_out;
    std::vector<Text> terms = read_entries("TELVOR.filter", left_out);
    for (const Text& term : terms) {
        last_shown = term;
        view_add(FILTER_VIEW, term);
    }
    for (const Text& line : left_out) view_add(FILTER_VIEW, line);
    close_list_file(run, FILTER_VIEW, run.filter_file_path, "TELVOR.filter");
    view_show_last_shown(FILTER_VIEW, last_shown);
    return terms;
}

std::vector<Text> read_service_file(RunState& run, Text& last_shown) {
    if (!open_list_file(run, SERVICE_VIEW, run.service_file_path, "TELVOR.service")) return {};
    std::vector<Text> left_out;
    std::vector<Text> names = read_entries("TELVOR.service", left_out);
    for (Text& name : names) {
        name += ' ';
        view_add(SERVICE_VIEW, name);
    }
    // Below the names, which are put in order in their place.
    for (const Text& line : left_out) view_add(SERVICE_VIEW, line);
    const int last = static_cast<int>(names.size()) - 1;

    // The view shows the names ascending, in place of the file order, below
    // its four start lines.
    sort_texts(names, SORT_IGNORE_CASE, 0, last);
    for (int i = 0; i <= last; ++i) list_set_line(SERVICE_VIEW, FIRST_SERVICE_LINE + i, names[static_cast<size_t>(i)]);
    last_shown = names.empty() ? Text() : names.back();

    // Removal runs in descending order: every name before the names it begins with.
    sort_texts(names, SORT_DESCENDING | SORT_IGNORE_CASE, 0, last);
    close_list_file(run, SERVICE_VIEW, run.service_file_path, "TELVOR.service");
    view_show_last_shown(SERVICE_VIEW, last_shown);
    return names;
}
