// One whole run answered Yes on input cut at each "\x01\x02" into the Event file, the clipboard's
// Guide text, TELVOR.filter and TELVOR.service (a part missing: no file or no text). Returns the
// fault, or "" when the run holds every property below and one pass converts as two steps do.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/event_line.h"
#include "support/scripted_window.h"
#include "support/test_support.h"

inline std::string whole_run(const std::uint8_t* data, std::size_t size, const std::string& folder) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[4];
    int count = 0;
    for (size_t from = 0, cut = 0; cut != std::string::npos; from = cut + 2) {
        cut = count < 3 ? input.find("\x01\x02", from) : std::string::npos;  // the last part runs to the end
        parts[count++] = input.substr(from, cut - from);
    }
    const std::string names[] = {"events.telvor", "", "TELVOR.filter", "TELVOR.service", "TELVOR.CLP", "TELVOR.DAT"};
    for (int i : {0, 2, 3, 4, 5}) ::unlink((folder + names[i]).c_str());
    for (int i : {0, 2, 3})
        if (i < count) write_bytes(folder + names[i], parts[i]);
    ScriptedWindow window;
    window.clipboard_has_text = count > 1;
    window.clipboard = parts[1];
    window.answer = ANSWER_YES;
    run_in_folder(folder, window, {folder + names[0]});
    if (file_exists_on_disk(folder + names[4]) || file_exists_on_disk(folder + names[5])) return "a work file was left behind";
    if (window.questions_asked != 1 || !file_exists_on_disk(folder + names[0])) return "no question asked once, or no Event file";
    // Four-line records, each beginning with a marked Event line; CR LF; no trailing space, no 0 byte.
    const std::string events = read_bytes(folder + names[0]);
    for (size_t from = 0, line = 0; from < events.size(); ++line) {
        const size_t end = events.find("\r\n", from);
        if (end == std::string::npos) return "the Event file does not end with CR LF";
        const std::string text = events.substr(from, end - from);
        if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos || text.ends_with(' '))
            return "a line holds a line end or a 0 byte, or ends in a space";
        if (line % 4 == 0 && (!event_line::is_event_line(text) || event_line::mark(text) == event_line::MARK_EMPTY))
            return "a record does not begin with a marked Event line";
        if ((from = end + 2) == events.size() && line % 4 != 3) return "a record is not four lines";
    }
    // The lists' lines as lists (any will do).
    std::vector<Text> lists[2];
    for (int i : {2, 3})
        for (size_t from = 0; i < count && from < parts[i].size();) {
            const size_t end = std::min(parts[i].find_first_of(std::string("\r\n\0", 3), from), parts[i].size());
            if (end > from) lists[i - 2].push_back(parts[i].substr(from, end - from));
            from = end + 1;
        }
    if (convert(ConversionWay::one_pass, folder, parts[0], parts[1], lists[0], lists[1]) !=
        convert(ConversionWay::two_steps, folder, parts[0], parts[1], lists[0], lists[1]))
        return "the conversion in one pass differs from the capture and the conversion";
    return "";
}
