// One whole run (question answered Yes) on files made from a byte string,
// for the fuzzer and for replaying what it found.
//
// The bytes are cut at each "\x01\x02" into the Event file, the Guide text
// on the clipboard, TELVOR.filter and TELVOR.service, in that order; a part
// that is missing leaves its file absent (and the clipboard without text).
// After the run the properties every finished run must have are checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/main_sequence.h"
#include "runtime/file.h"
#include "runtime/scripted_window.h"

namespace whole_run_input {

inline std::vector<std::string> split_parts(const std::string& bytes) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        // The fourth part runs to the end, separators and all.
        const std::size_t cut = parts.size() == 3 ? std::string::npos : bytes.find("\x01\x02", from);
        parts.push_back(bytes.substr(from, cut == std::string::npos ? std::string::npos : cut - from));
        if (cut == std::string::npos) break;
        from = cut + 2;
    }
    return parts;
}

inline void put_file(const std::string& path, const std::string* bytes) {
    ::unlink(path.c_str());
    if (bytes == nullptr) return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
}

inline std::string file_bytes(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The Event file after a Yes: a sequence of four-line records (none when no
// event survived), each beginning with an Event line whose Mark field is
// set, every line without trailing spaces.
inline std::string check_marked_event_file(const std::string& bytes) {
    if (bytes.empty()) return "";
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)
        return "the Event file does not end with CR LF";
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", from);
        lines.push_back(bytes.substr(from, end - from));
        from = end + 2;
    }
    if (lines.size() % 4 != 0) return "the Event file is not made of four-line records";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            return "a line holds a line end or a 0 byte";
        if (!line.empty() && line.back() == ' ') return "a line ends in a space";
        if (i % 4 == 0) {
            if (line.size() < 14 || line[2] != '.' || line[13] != ':')
                return "a record does not begin with an Event line";
            if (line.compare(16, 3, "   ") == 0) return "an Event line is left unmarked";
        }
    }
    return "";
}

// Runs the input in folder (which ends in "/"); "" when every check held,
// else what went wrong.
inline std::string run(const std::uint8_t* data, std::size_t size, const std::string& folder) {
    const std::vector<std::string> parts =
        split_parts(std::string(reinterpret_cast<const char*>(data), size));
    const auto part = [&parts](std::size_t i) { return i < parts.size() ? &parts[i] : nullptr; };
    const std::string event_file = folder + "events.telvor";
    put_file(event_file, part(0));
    put_file(folder + "TELVOR.filter", part(2));
    put_file(folder + "TELVOR.service", part(3));
    ::unlink((folder + "TELVOR.CLP").c_str());
    ::unlink((folder + "TELVOR.DAT").c_str());
    if (::chdir(folder.c_str()) != 0) return "cannot enter the folder";

    ScriptedWindow window;
    window.clipboard_has_text = part(1) != nullptr;
    if (part(1) != nullptr) window.clipboard = *part(1);
    window.answer = ANSWER_YES;
    char program[] = "telvor";
    std::string parameter = event_file;
    char* argv[] = {program, parameter.data(), nullptr};
    program_start(2, argv);
    telvor_run(window);

    bool exists = false;
    file_bytes(folder + "TELVOR.CLP", exists);
    if (exists) return "TELVOR.CLP was left behind";
    file_bytes(folder + "TELVOR.DAT", exists);
    if (exists) return "TELVOR.DAT was left behind";
    if (window.questions_asked != 1) return "the question was not asked exactly once";
    const std::string result = file_bytes(event_file, exists);
    if (part(0) == nullptr) return exists ? "an Event file came into being" : "";
    if (!exists) return "the Event file is gone";
    return check_marked_event_file(result);
}

}  // namespace whole_run_input
