// Shared pieces of the whole-run scenario tests: the fixed lines every run
// shows, the expected shape of the three views, a Program directory to run
// in, and the scripted window services set up for one run.
#pragma once

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/scripted_window.h"
#include "support/test_support.h"

namespace whole_run {

using Lines = std::vector<std::string>;

inline const std::string SEPARATOR(102, '=');
inline const std::string CREDIT = "TELVOR - made by the TELVOR developers";
inline const std::string VERSION = "TELVOR Version 0.38w (x86)";
inline const std::string WINDOW_TITLE =
    VERSION + " - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera";
inline const std::string QUESTION =
    "   Wollen Sie den Rest der Liste mit [ + ] markieren\n"
    "   bzw. das Programm TELVOR mit Abbrechen beenden...";

enum : int { YES = 6, NO = 7, CANCEL = 2 };
enum : int { FILTER_VIEW = 0, EVENT_VIEW = 1, SERVICE_VIEW = 2 };

inline Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// File bytes: every line followed by CR LF.
inline std::string crlf(const Lines& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

// The four lines of an Event record.
inline Lines record(const std::string& event_line, const std::string& genre_line,
                    const std::string& description_line) {
    return {event_line, genre_line, description_line, ""};
}

// An Event line with its Mark field set.
inline std::string marked(const std::string& event_line) {
    return event_line.substr(0, 16) + " + " + event_line.substr(19);
}

// Filter view of a readable Filter file with the given terms.
inline Lines filter_view(const Lines& terms) {
    return Lines{CREDIT, SEPARATOR, "File: >>> TELVOR.filter <<< reading...", SEPARATOR} + terms +
           Lines{SEPARATOR, "File: >>> TELVOR.filter <<< reading complete...", SEPARATOR};
}

// Service view of a readable Service file; names as shown, in ascending order.
inline Lines service_view(const Lines& shown_names) {
    return Lines{CREDIT, SEPARATOR, "File: >>> TELVOR.service <<< reading...", SEPARATOR} +
           shown_names +
           Lines{SEPARATOR, "File: >>> TELVOR.service <<< reading complete...", SEPARATOR};
}

// View of a list file that is not there.
inline Lines missing_list_view(const std::string& name) {
    return {CREDIT,
            SEPARATOR,
            "File: >>> " + name + " <<< reading...",
            SEPARATOR,
            "File: >>> " + name + " <<< Not reading...",
            SEPARATOR};
}

inline Lines event_head(const std::string& path) {
    return {CREDIT, SEPARATOR, "File: >>> " + path + " <<< writing...", SEPARATOR};
}

inline Lines event_closing(const std::string& path) {
    return {SEPARATOR, "File: >>> " + path + " <<< new created...", SEPARATOR};
}

inline Lines not_writing(const std::string& path) {
    return {"File: >>> " + path + " <<< Not writing...", SEPARATOR};
}

inline Lines not_reading(const std::string& path) {
    return {"File: >>> " + path + " <<< Not reading...", SEPARATOR};
}

// The Sample lists, as the views show them after reading.
inline const Lines SAMPLE_FILTER_TERMS = {"Tagesschau", "heute", "Wetter"};
inline const Lines SAMPLE_SERVICES_ASCENDING = {"3sat ",         "arte ", "Das Erste ",
                                                "Das Erste HD ", "ZDF ",  "ZDF HD "};

// A fresh Program directory; program_dir is the path the run sees as its
// current directory, ending in "/".
struct Folder {
    ScratchDir dir;
    std::string program_dir;

    Folder() : program_dir(std::filesystem::canonical(dir.path()).string() + "/") {}
    std::string file(const std::string& name) const { return program_dir + name; }
    void sample_lists() const {
        write_bytes(file("TELVOR.filter"), sample_bytes("TELVOR.filter"));
        write_bytes(file("TELVOR.service"), sample_bytes("TELVOR.service"));
    }
    // Names of everything in the folder, sorted.
    Lines names() const {
        Lines result;
        for (const auto& entry : std::filesystem::directory_iterator(program_dir))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }
};

// The script of one run: the answer to the question, and the clipboard's
// text (none when has_text is false). Two other events precede the Close event.
inline void script(ScriptedWindow& window, int answer, const std::string& clipboard,
                   bool has_text = true) {
    window.answer = answer;
    window.clipboard = clipboard;
    window.clipboard_has_text = has_text;
    window.events_before_close = 2;
}

// The creation stamp of a New-file header written at the given time.
inline std::string creation_stamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d -- >>> ", local.tm_mday,
                  local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min);
    return buffer;
}

inline std::string ascii_upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace whole_run
