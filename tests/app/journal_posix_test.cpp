// The rollback journal of an Event file rewritten in place: only the journal a
// killed run left, as it is, is applied, through any spelling of the path;
// anything else under its name is left alone and a run says why.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/file.h"
#include "fs/replace.h"
#include "steps/run_state.h"
#include "support/scripted_window.h"
#include "support/test_support.h"
#include "sys/os.h"

namespace {

namespace fs = std::filesystem;

const std::string OLD_FILE = records_past(FILE_BUFFER_SIZE);  // so that a rewrite can be torn

struct Outcome {
    int status = -1;
    std::string event_file, errors;
    bool cleared = false;
    std::vector<Text> messages;
};

// A Program directory with the sample lists; the Event file in a folder of
// its own, with a second name where it is to be rewritten in place.
struct Place {
    explicit Place(bool second_name) : second_name_(second_name) {}
    std::string event_path() const { return events_ + "epg.telvor"; }
    void reset() const {
        for (const std::string& folder : {program_, events_})
            for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
        for (const char* name : {"TELVOR.filter", "TELVOR.service"}) write_bytes(program_ + name, sample_bytes(name));
        write_bytes(event_path(), OLD_FILE);
        if (second_name_) fs::create_hard_link(event_path(), events_ + "second.telvor");
    }
    Outcome run(int answer) const {
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
        outcome.messages = window.messages;
        return outcome;
    }

    bool second_name_;
    ScratchDir program_dir_, events_dir_;
    std::string program_ = fs::canonical(program_dir_.path()).string() + "/",
                events_ = fs::canonical(events_dir_.path()).string() + "/";
};

TEST(Journal, OnlyAWholeJournalOfThisVeryFileIsApplied) {
    const Place place(true), renamed(false);
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
        {"a second name", "it has more than one name"}, {"a FIFO", "it is not a plain file"}};
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
    // A journal that cannot be read: the recovery fails and touches nothing.
    fs::remove_all(journal);
    write_bytes(journal, genuine);
    os::fault_at(os::READ, 1);
    EXPECT_EQ(file_recover(Path{event}).outcome, Recovery::Outcome::failed);
    os::fault_clear();
    EXPECT_TRUE(read_bytes(event) == torn && read_bytes(journal) == genuine);
    // The journal, found through any spelling of the file's path: restored.
    fs::create_symlink(event, place.program_ + "link.telvor");
    for (const std::string& spelling : {place.events_ + "second.telvor", place.program_ + "link.telvor"}) {
        SCOPED_TRACE(spelling);
        write_bytes(event, torn);
        write_bytes(journal, genuine);
        EXPECT_EQ(file_recover(Path{spelling}).outcome, Recovery::Outcome::restored);
        EXPECT_TRUE(read_bytes(event) == OLD_FILE);
        EXPECT_FALSE(fs::exists(journal));
    }
    write_bytes(event, torn);
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
}  // namespace
