// Whole runs whose file calls fail once, at each of their uses in turn;
// the Event file (larger than one buffer, so that a rewrite can be torn)
// renamed over or rewritten in place (it has a second name), on one file
// system and on two. (A run ended at any call: the power-cut test, and the
// replacement ended at each of its calls: tests/fs/replace_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "fs/file.h"
#include "fs/replace.h"
#include "steps/run_state.h"
#include "support/scripted_window.h"
#include "support/test_support.h"
#include "sys/os.h"

namespace {

namespace fs = std::filesystem;

// An Event file of records not marked yet (the marking changes its first
// line as its last), larger than a File slot's buffer.
const std::string OLD_FILE = records_past(FILE_BUFFER_SIZE);
const char* const ATTRIBUTE = "user.telvor-test";
constexpr std::uint32_t MODE = 0604;  // where the system has permission bits
constexpr std::uint32_t OTHER_OWNER = 4321;

struct Layout {
    std::string name;
    bool second_name = false;        // a hard link: the file is rewritten in place
    bool other_file_system = false;  // the Program directory on another file system
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

struct Outcome {
    int status = -1;
    std::string event_file, errors;  // errors: the run's stderr
    bool cleared = false;
    std::vector<Text> messages;          // the message boxes shown
    std::vector<std::string> leftovers;  // working files, temporary files, journals
};

// A Program directory, and the Event file in a folder of its own.
struct Place {
    explicit Place(const Layout& layout) : setup_(layout) {
        program_ = fs::canonical(program_dir_.path()).string() + PATH_SEPARATOR;
        events_ = fs::canonical(events_dir_.path()).string() + PATH_SEPARATOR;
#ifndef _WIN32
        if (layout.other_file_system) {  // on a memory file system
            program_ = "/dev/shm/" + fs::path(events_).parent_path().filename().string() + "-program/";
            fs::create_directories(program_);
        }
#endif
    }
    ~Place() {
        std::error_code ignored;
        if (setup_.other_file_system) fs::remove_all(program_, ignored);
    }
    bool apart() const {  // the two folders on different file systems
        os::Info a, b;
        return os::path_info(program_, a) && os::path_info(events_, b) && a.device != b.device;
    }
    std::string event_path() const { return events_ + "epg.telvor"; }

    // The sample lists but the one left out; the old Event file with its
    // second name, bits, attribute and an owner of its own where possible.
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
            os::set_owner(handle, OTHER_OWNER, OTHER_OWNER);
        os::close(handle);
    }

    // One run with the sample Guide text; the calls are counted from its start.
    Outcome run(int answer, const std::string& spelling = "") const {
        os::reset_uses();
        Outcome outcome;
        ScriptedWindow window;
        window.answer = answer;
        window.clipboard_has_text = true;
        window.clipboard = sample_bytes("guide-webif.txt");
        ::testing::internal::CaptureStderr();
        outcome.status = run_in_folder(program_, window, {spelling.empty() ? event_path() : spelling});
        outcome.errors = ::testing::internal::GetCapturedStderr();
        os::fault_clear();
        outcome.event_file = read_bytes(event_path());
        outcome.cleared = window.clipboard_cleared;
        outcome.messages = window.messages;
        for (const std::string& folder : {program_, events_})
            for (const auto& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                if (name == "TELVOR.CLP" || name == "TELVOR.DAT" || name.find(".telvor-") != std::string::npos ||
                    name.ends_with(".journal"))
                    outcome.leftovers.push_back(name);
            }
        if (setup_.second_name && read_bytes(events_ + "second.telvor") != outcome.event_file)
            outcome.leftovers.push_back("second.telvor differs");
        return outcome;
    }

    Layout setup_;
    ScratchDir program_dir_, events_dir_;
    std::string program_, events_;
};

const int FAILING_CALLS[] = {os::READ,      os::WRITE,    os::SYNC,           os::CLOSE,         os::CREATE,
                             os::RENAME,    os::TRUNCATE, os::SYNC_FOLDER,    os::SET_OWNER,     os::SET_MODE,
                             os::LIST_ATTRIBUTES, os::GET_ATTRIBUTE, os::SET_ATTRIBUTE, os::REMOVE_ATTRIBUTE};

class Replacement : public ::testing::TestWithParam<Layout> {};

// The Event file holds one of the whole states a run passes through, one
// line on stderr names a folder, nothing is left behind, and the clipboard
// is emptied only where its Guide text was converted.
TEST_P(Replacement, EveryCallFailsOnceAndTheEventFileStaysWhole) {
    const Place place(GetParam());
    if (GetParam().other_file_system && !place.apart()) GTEST_SKIP() << "no second file system here";

    // Old, converted (the Guide text with it), marked (marking keeps only
    // Event records), old marked, and marked with a list that could not be
    // read.
    place.reset();
    const Outcome marked = place.run(ANSWER_YES);
    ASSERT_EQ(marked.status, EXIT_DONE) << marked.errors;
    ASSERT_TRUE(marked.leftovers.empty()) << marked.leftovers[0];
    long long counts[os::CALL_COUNT];
    for (const int call : FAILING_CALLS) counts[call] = os::uses(call);
    place.reset();
    const std::string converted = place.run(ANSWER_NO).event_file;
    // One replacement for No (the conversion, the Guide text with it), two
    // for Yes: half the working files and flushes.
    for (const int call : {os::CREATE, os::SYNC, os::SYNC_FOLDER})
        EXPECT_EQ(2 * os::uses(call), counts[call]) << os::call_name(call);
    std::set<std::string> whole = {OLD_FILE, converted, marked.event_file};
    place.reset();
    os::fault_at(os::CREATE, 1);  // the conversion's working file: the old content kept, then marked
    const Outcome old_marked = place.run(ANSWER_YES);
    EXPECT_FALSE(old_marked.cleared);
    whole.insert(old_marked.event_file);
    ASSERT_EQ(whole.size(), 4u);
    for (const char* list : {"TELVOR.filter", "TELVOR.service"}) {
        place.reset(list);
        whole.insert(place.run(ANSWER_YES).event_file);
    }
    // The Event file keeps its attribute, permission bits and owner.
    os::Handle handle;
    ASSERT_TRUE(os::open(place.event_path(), os::Open::read, handle));
    std::string value;
    os::Info info;
    EXPECT_TRUE(!os::get_attribute(handle, ATTRIBUTE, value) || value == "kept") << value;
    ASSERT_TRUE(os::handle_info(handle, info));
    os::close(handle);
    EXPECT_TRUE(info.mode == 0 || (info.mode == MODE && info.owner != 0)) << info.mode << " " << info.owner;

    const std::string folders[] = {place.program_.substr(0, place.program_.size() - 1),
                                   place.events_.substr(0, place.events_.size() - 1)};
    int faults = 0;
    for (const int call : FAILING_CALLS) {
        for (long long nth = 1; nth <= counts[call]; ++nth, ++faults) {
            SCOPED_TRACE(std::string(os::call_name(call)) + " #" + std::to_string(nth));
            place.reset();
            os::fault_at(call, nth);
            const Outcome run = place.run(ANSWER_YES);
            EXPECT_EQ(run.status, EXIT_STEP_FAILED);
            EXPECT_EQ(whole.count(run.event_file), 1u);
            const std::string& e = run.errors;  // one line that names one of the folders
            ASSERT_TRUE(std::count(e.begin(), e.end(), '\n') == 1 && e.ends_with("\n") &&
                        e.starts_with("telvor: cannot ") && (e.find(folders[0]) != e.npos || e.find(folders[1]) != e.npos))
                << e;
            EXPECT_TRUE(run.leftovers.empty()) << run.leftovers[0];
            EXPECT_TRUE(!run.cleared || (run.event_file != OLD_FILE && run.event_file != old_marked.event_file));
        }
    }
    EXPECT_GT(faults, 30);
}

#ifndef _WIN32
// A rewrite in place writes what a rename would. A run killed in it leaves
// a journal; only that journal, as it is, is applied, and the next run says
// so before the question.
// Anything else under a journal's name is never applied and never removed,
// and a run on the file changes nothing and says why: a journal cut short,
// changed, another file's, a link to it, a second name of it, a FIFO, a
// folder.
TEST(Journal, OnlyAWholeJournalOfThisVeryFileIsApplied) {
    const Place place(Layout{"InPlace", true, false}), renamed(Layout{"Rename", false, false});
    place.reset();
    renamed.reset();
    const Outcome lone = place.run(ANSWER_YES);
    EXPECT_TRUE(lone.event_file == renamed.run(ANSWER_YES).event_file) << "rewritten in place, not as a rename writes";
    place.reset();
    const std::string event = place.event_path(), other = place.events_ + "other.telvor";
    if (::fork() == 0) {
        os::fault_at(os::TRUNCATE, 1, os::Fault::crash);  // the Event file overwritten, not yet cut
        place.run(ANSWER_YES);
        ::_exit(0);
    }
    ::wait(nullptr);
    const std::string journal = file_journal_path(Path{event}).native, torn = read_bytes(event);
    const std::string genuine = read_bytes(journal), copy = place.events_ + "copy";
    ASSERT_FALSE(genuine.empty());
    ASSERT_NE(torn, OLD_FILE);
    write_bytes(other, torn);
    const std::string others_journal = file_journal_path(Path{other}).native;
    std::string changed = genuine;
    changed[genuine.size() / 2] ^= 1;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cut short", "it is incomplete"}, {"changed", "its content does not match its checksum"},
        {"another file's", "it is the journal of another file"}, {"a link", "it is a link"},
        {"a second name", "it has more than one name"}, {"a FIFO", "it is not a plain file"},
        {"a folder", "it is a folder"}};
    for (const auto& [what, why] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(journal);
        write_bytes(copy, genuine);
        if (what == "cut short") write_bytes(journal, genuine.substr(0, genuine.size() - 1));
        if (what == "changed") write_bytes(journal, changed);
        if (what == "another file's") write_bytes(others_journal, genuine);
        if (what == "a link") fs::create_symlink(copy, journal);
        if (what == "a second name") fs::create_hard_link(copy, journal);
        if (what == "a FIFO" && ::mkfifo(journal.c_str(), 0600) != 0) FAIL() << "no FIFO";
        if (what == "a folder") fs::create_directory(journal);
        const bool elsewhere = what == "another file's";
        const std::string victim = elsewhere ? other : event, planted = elsewhere ? others_journal : journal;
        const std::string entry = fs::is_regular_file(fs::symlink_status(planted)) ? read_bytes(planted) : "";
        const Recovery recovery = file_recover(Path{victim});
        EXPECT_EQ(recovery.outcome, Recovery::Outcome::refused);
        EXPECT_EQ(recovery.why, why);
        EXPECT_EQ(recovery.journal.native, planted);
        EXPECT_EQ(read_bytes(victim), torn);
        EXPECT_TRUE(fs::exists(fs::symlink_status(planted)));
        EXPECT_TRUE(entry.empty() || read_bytes(planted) == entry);
        fs::remove_all(others_journal);
    }
    // A whole run leaves the file alone, keeps the clipboard and names the journal.
    fs::remove_all(journal);
    write_bytes(journal, changed);
    const Outcome refused = place.run(ANSWER_YES);
    EXPECT_EQ(refused.status, EXIT_STEP_FAILED);
    EXPECT_FALSE(refused.cleared);
    EXPECT_EQ(refused.event_file, torn);
    EXPECT_EQ(read_bytes(journal), changed);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0], path_display(Path{journal}) + " has the name of the journal of " +
                                       path_display(Path{event}) + ", but its content does not match its checksum. "
                                       "TELVOR leaves " + path_display(Path{event}) + " alone until " +
                                       path_display(Path{journal}) + " is removed.");
    EXPECT_EQ(std::count(refused.errors.begin(), refused.errors.end(), '\n'), 1) << refused.errors;
    // The journal itself: restored, and said before the question.
    write_bytes(journal, genuine);
    const Outcome restored = place.run(ANSWER_YES);
    EXPECT_EQ(restored.status, EXIT_DONE) << restored.errors;
    EXPECT_EQ(restored.event_file, lone.event_file);
    ASSERT_EQ(restored.messages.size(), 1u);
    EXPECT_EQ(restored.messages[0], "The last run on " + path_display(Path{event}) +
                                        " was interrupted. Its old content was put back from " +
                                        path_display(Path{journal}) + ".");
    EXPECT_FALSE(fs::exists(journal));
}
#endif

INSTANTIATE_TEST_SUITE_P(Setups, Replacement,
                         ::testing::Values(Layout{"Rename", false, false}, Layout{"InPlace", true, false},
                                           Layout{"RenameAcross", false, true}, Layout{"InPlaceAcross", true, true}),
                         [](const auto& param_info) { return param_info.param.name; });

}  // namespace
