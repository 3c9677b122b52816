// Whole runs for the replacement tests: a Program directory with the sample
// lists and an Event file in a folder of its own (on another file system
// where asked), with a second name or not, permission bits, an owner of
// its own and an extended attribute where the system allows; the run's outcome, and the
// whole states the Event file may be in.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "runtime/file.h"
#include "runtime/os.h"
#include "runtime/scripted/scripted_window.h"
#include "support/test_support.h"

namespace replacement {

namespace fs = std::filesystem;

// A finished run's Event file: every record marked.
inline const std::string OLD_FILE =
    "04.12.2009 20:15 + Alt\r\nGenre: Krimi\r\nFall.\r\n\r\n"
    "04.12.2009 21:45 + Nachtcafe\r\nGenre: Talk\r\nGaeste.\r\n\r\n";
inline const char* const ATTRIBUTE = "user.telvor-test";
constexpr std::uint32_t MODE = 0604;  // where the system has permission bits
enum : std::uint32_t { OTHER_OWNER = 4321 };

struct Layout {
    std::string name;
    bool second_name = false;        // a hard link: the file is rewritten in place
    bool other_file_system = false;  // the Program directory on another file system
};

inline void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

struct Outcome {
    int status = -1;
    std::string event_file;
    std::string errors;  // what the run wrote to stderr
    bool cleared = false;
    std::vector<std::string> leftovers;  // working files, temporary files, journals
};

// The folders of one setup, made fresh for every run.
class Place {
public:
    explicit Place(const Layout& layout) : setup_(layout) {
        program_ = fs::canonical(program_dir_.path()).string() + directory_separator();
        events_ = fs::canonical(events_dir_.path()).string() + directory_separator();
#ifndef _WIN32
        if (layout.other_file_system) {
            // The Program directory on a memory file system, the Event file
            // on the disk.
            program_ = "/dev/shm/" + fs::path(events_).parent_path().filename().string() + "-program/";
            fs::create_directories(program_);
        }
#endif
    }
    ~Place() {
        std::error_code ignored;
        if (setup_.other_file_system) fs::remove_all(program_, ignored);
    }
    // Whether the two folders lie on different file systems.
    bool apart() const {
        os::Info a, b;
        return os::path_info(program_, a) && os::path_info(events_, b) && a.device != b.device;
    }
    std::string event_path() const { return events_ + "epg.telvor"; }

    // Everything back to the start: the lists (but the one left out), the
    // old Event file and its second name, owner and attribute.
    void reset(const std::string& left_out = "") const {
        for (const std::string& folder : {program_, events_})
            for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
        for (const char* name : {"TELVOR.filter", "TELVOR.service"})
            if (name != left_out) write_bytes(program_ + name, sample_bytes(name));
        write_bytes(event_path(), OLD_FILE);
        if (setup_.second_name) fs::create_hard_link(event_path(), events_ + "second.telvor");
        os::Handle handle;
        if (!os::open(event_path(), os::Open::write_existing, handle)) return;
        os::set_attribute(handle, ATTRIBUTE, "kept");
        os::set_mode(handle, MODE);
        os::Info info;
        if (os::handle_info(handle, info) && info.owner == 0 && info.mode != 0)
            os::set_owner(handle, OTHER_OWNER, OTHER_OWNER);  // privileged: give it away
        os::close(handle);
    }

    // One run on the Event file with the sample Guide text in the clipboard;
    // the uses of the system calls are counted from its start.
    Outcome run(int answer) const {
        os::reset_uses();
        Outcome outcome;
        ScriptedWindow window;
        window.answer = answer;
        window.clipboard_has_text = true;
        window.clipboard = sample_bytes("guide-webif.txt");
        ::testing::internal::CaptureStderr();
        outcome.status = run_in_folder(program_, window, {event_path()});
        outcome.errors = ::testing::internal::GetCapturedStderr();
        os::fault_clear();
        outcome.event_file = read_bytes(event_path());
        outcome.cleared = window.clipboard_cleared;
        for (const std::string& folder : {program_, events_}) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                if (name == "TELVOR.CLP" || name == "TELVOR.DAT" || name.find(".telvor-") != std::string::npos ||
                    name.ends_with(".journal"))
                    outcome.leftovers.push_back(name);
            }
        }
        if (setup_.second_name && read_bytes(events_ + "second.telvor") != outcome.event_file)
            outcome.leftovers.push_back("second.telvor differs");
        return outcome;
    }

    const std::string& program() const { return program_; }
    const std::string& events() const { return events_; }

private:
    Layout setup_;
    ScratchDir program_dir_, events_dir_;
    std::string program_, events_;
};

// The lines of a text.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace replacement
