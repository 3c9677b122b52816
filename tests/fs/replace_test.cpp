// Putting a completed working file in place of a file: by a rename that
// keeps the file's owner, mode and attributes, or in place under a journal
// where the file has a second name, from the same file system or another,
// with every call failing or ending the process in turn; what a killed
// replacement leaves for the next look at the file; and the refusals.
#include "fs/replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include "support/lock_holder_posix.h"
#endif

#include "fs/file.h"
#include "fs/folders.h"
#include "support/test_support.h"
#include "sys/os.h"

namespace {

namespace fs = std::filesystem;
// Both longer than a copy's buffer, so that an overwrite can be torn.
const std::string OLD(300000, 'o'), NEW(400000, 'n');
const char* const ATTRIBUTE = "user.telvor-test";

// The owner, mode, attribute and number of names of a file, where the system has them.
std::string identity(const std::string& path) {
    os::Handle handle;
    os::Info info;
    std::string value;
    if (!os::open(path, os::Open::read, handle)) return "none";
    (void)os::handle_info(handle, info);
    (void)os::get_attribute(handle, ATTRIBUTE, value);
    os::close(handle);
    return std::to_string(info.owner) + " " + std::to_string(info.mode) + " " + value + " " + std::to_string(info.links);
}

struct Layout {
    const char* name;
    bool second_name;  // a hard link beside the file: rewritten in place
    bool across;       // the working file on another file system
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class Replace : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        if (!GetParam().across) return;
        const std::string shm = WINDOWS_NAMES ? "Z:\\dev\\shm\\" : "/dev/shm/";  // Wine's drive Z: is the root
        work = shm + fs::path(folder).parent_path().filename().string() + "-work" + PATH_SEPARATOR;
        std::error_code ignored;
        fs::create_directories(work, ignored);
        os::Info a, b;
        if (!os::path_info(work, a) || !os::path_info(folder, b) || a.device == b.device)
            GTEST_SKIP() << "no second file system here";
    }
    void TearDown() override {
        if (work != folder) fs::remove_all(work);
    }
    // The old file with its second name, an owner of its own, a mode and an
    // attribute where the system has them; the working file.
    void reset() {
        folder_locks_release();
        for (const std::string& f : {folder, work})
            for (const auto& entry : fs::directory_iterator(f)) fs::remove_all(entry.path());
        write_bytes(target(), OLD);
        write_bytes(working(), NEW);
        if (GetParam().second_name) fs::create_hard_link(target(), folder + "second.telvor");
        os::Handle handle;
        os::Info info;
        ASSERT_TRUE(os::open(target(), os::Open::write_existing, handle));
        (void)os::set_attribute(handle, ATTRIBUTE, "kept");
        (void)os::set_mode(handle, 0604);
        if (os::handle_info(handle, info) && info.owner == 0 && info.mode != 0) (void)os::set_owner(handle, 4321, 4321);
        os::close(handle);
        fs::create_directory(folder + "sub");
#ifndef _WIN32
        fs::create_directory_symlink(folder, folder + "sub/linked");
#endif
    }
    std::string target() const { return folder + "e.telvor"; }
    std::string working() const { return work + "TELVOR.DAT"; }
    // Entries beside the file's names, the working file and the folder sub.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> left;
        for (const std::string& f : {folder, work})
            for (const auto& entry : fs::directory_iterator(f)) {
                const std::string name = entry.path().filename().string();
                if (name != "e.telvor" && name != "second.telvor" && name != "TELVOR.DAT" && name != "sub")
                    left.push_back(name);
            }
        return left;
    }

    ScratchDir dir;
    std::string folder = fs::canonical(dir.path()).string() + PATH_SEPARATOR, work = folder;
};

// Done, the file has the new content, its identity and its names. Failed
// at any call, or ended there, the next look at the file by any of its
// spellings (file_recover) finds the old content or the new one, whole,
// with its identity, and nothing left beside it; where it cannot read the
// journal left, it fails and touches nothing.
TEST_P(Replace, EveryCallFailingOrEndingTheProcessLeavesAWholeFile) {
    reset();
    const std::string kept = identity(target());
    os::FileIdentity before, after;
    ASSERT_TRUE(os::identify(target(), before));
    os::reset_uses();
    ASSERT_TRUE(file_replace(Path{working()}, Path{target()}));
    // A journal names its file by its number and creation time (Wine takes
    // the last change for the creation time: see docs/windows.md).
    if (GetParam().second_name && os::identify(target(), after) && !(after == before))
        GTEST_SKIP() << "a file rewritten in place is another file to this system";
    long long counts[os::CALL_COUNT];
    for (int call = 0; call < os::CALL_COUNT; ++call) counts[call] = os::uses(call);
    EXPECT_TRUE(read_bytes(target()) == NEW);
    EXPECT_EQ(identity(target()), kept);
    EXPECT_TRUE(leftovers().empty() && !file_exists_on_disk(working()));
    const std::string sep = PATH_SEPARATOR;
    std::vector<std::string> spellings = {target(), folder + "sub" + sep + ".." + sep + "e.telvor"};
    if (GetParam().second_name) spellings.push_back(folder + "second.telvor");
#ifndef _WIN32
    spellings.push_back(folder + "sub/linked/e.telvor");
#endif
    int runs = 0, restored = 0;
    for (int call = 0; call < os::CALL_COUNT; ++call)
        for (long long nth = 1; nth <= counts[call]; ++nth)
            for (const os::Fault what : {os::Fault::fail, os::Fault::crash}) {
                const std::string& spelling = spellings[static_cast<std::size_t>(runs++) % spellings.size()];
                SCOPED_TRACE(std::string(os::call_name(call)) + " #" + std::to_string(nth) +
                             (what == os::Fault::crash ? " ends the process, then " : " fails, then ") + spelling);
                reset();
                bool replaced = false;
                if (what == os::Fault::fail) {
                    os::fault_at(call, nth);
                    replaced = static_cast<bool>(file_replace(Path{working()}, Path{target()}));
                    os::fault_clear();
                } else {
#ifdef _WIN32
                    continue;
#else
                    const pid_t pid = ::fork();
                    if (pid == 0) {
                        os::fault_at(call, nth, os::Fault::crash);
                        (void)file_replace(Path{working()}, Path{target()});
                        ::_exit(0);
                    }
                    ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
#endif
                }
                // A journal left that cannot be read: the recovery fails and touches nothing.
                if (const std::string journal = file_journal_path(Path{target()}).native; file_exists_on_disk(journal)) {
                    const std::string torn = read_bytes(target());
                    os::fault_at(os::READ, 1);
                    EXPECT_EQ(file_recover(Path{spelling}).outcome, Recovery::Outcome::failed);
                    os::fault_clear();
                    EXPECT_TRUE(read_bytes(target()) == torn && file_exists_on_disk(journal));
                }
                const Recovery recovery = file_recover(Path{spelling});
                EXPECT_TRUE(recovery.outcome == Recovery::Outcome::none || recovery.outcome == Recovery::Outcome::restored)
                    << recovery.why << failure_reason(recovery.failure);
                restored += recovery.outcome == Recovery::Outcome::restored;
                const std::string now = read_bytes(target());
                EXPECT_TRUE(now == NEW || (!replaced && now == OLD)) << now.size();
                EXPECT_EQ(identity(target()), kept);
                const std::vector<std::string> left = leftovers();
                EXPECT_TRUE(left.empty()) << left[0];
            }
    EXPECT_GT(runs, 40);
    EXPECT_TRUE(!GetParam().second_name || WINDOWS_NAMES || restored > 5) << restored;  // ended inside rewrites
}

INSTANTIATE_TEST_SUITE_P(Layouts, Replace,
                         ::testing::Values(Layout{"Rename", false, false}, Layout{"InPlace", true, false},
                                           Layout{"RenameAcross", false, true}, Layout{"InPlaceAcross", true, true}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// may_write entries: a folder that may not be written; a read-only file system.
bool file_alone_writable(const std::string& path) {
    os::set_system_error(os::error_code(os::Error::refused));
    return path.ends_with("e.telvor");
}
#ifndef _WIN32
bool read_only_volume(const std::string&) {
    os::set_system_error(EROFS);
    return false;
}
#endif

// Refused: the file stays as it was, the working file stays, and the
// failure says why, naming the other file where that is the cause.
TEST(ReplaceRefused, TheFileAndTheWorkingFileStay) {
    ScratchDir dir;
    const std::string target = dir.file("e.telvor"), working = dir.file("TELVOR.DAT"), alias = dir.file("alias");
#ifndef _WIN32
    std::optional<LockHolder> other_run;
#endif
    const auto journal = [&] { return file_journal_path(Path{target}).native; };
    struct Case {
        const char* what;
        std::function<void()> set_up;
        std::string reason;
        char about;  // the other file named: 'w' the working file, 'j' the journal
    };
    const std::vector<Case> cases = {
        {"open by another name", [&] { fs::create_hard_link(target, alias), (void)file_open_read(1, Path{alias}); },
         "the file is in use by this run", 0},
        {"the working file still written", [&] { (void)file_create_working(2, Path{working}); },
         "the working file is not complete", 'w'},
        {"no working file", [&] { fs::remove(working); }, "it does not exist", 'w'},
        {"write-protected", [&] { fs::permissions(target, fs::perms::owner_read); }, "it is write-protected", 0},
        {"a folder", [&] { fs::remove(target), fs::create_directory(target); }, "it is not a plain file", 0},
        {"its folder may not be written", [] { os::calls().may_write = file_alone_writable; },
         "its folder may not be written, so no journal can guard a rewrite in place", 0},
        {"a journal's name taken", [&] { fs::create_hard_link(target, alias), write_bytes(journal(), "x"); },
         "another entry has its name", 'j'},
#ifndef _WIN32
        {"a read-only file system", [] { os::calls().may_write = read_only_volume; }, "the file system is read-only", 0},
        {"another run holds it", [&] { other_run.emplace(target, true); }, "another TELVOR run holds the file", 0},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_bytes(target, OLD);
        write_bytes(working, NEW);
        c.set_up();
        const std::string named = c.about == 'w' ? working : c.about == 'j' ? journal() : "";
        const FileResult replaced = file_replace(Path{working}, Path{target});
        os::calls() = os::SYSTEM_CALLS;
        ASSERT_FALSE(replaced);
        EXPECT_EQ(failure_plain_reason(replaced.failure(), Path{target}), c.reason);
        EXPECT_EQ(replaced.failure().path, named);
        EXPECT_TRUE(fs::is_directory(target) || read_bytes(target) == OLD);
        EXPECT_EQ(file_exists_on_disk(working), c.reason != "it does not exist");
        file_close_all();
        folder_locks_release();
#ifndef _WIN32
        other_run.reset();
#endif
        fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
        for (const auto& entry : fs::directory_iterator(dir.path())) fs::remove_all(entry.path());
    }
}

// Only temporary files of the file's own patterns go: its or its journal's
// name, ".telvor-tmp-", six characters.
TEST(Recover, LeftoverCopiesBesideTheFileAreRemoved) {
    ScratchDir dir;
    write_bytes(dir.file("e.telvor"), "x");
    const std::string journal = file_journal_path(Path{dir.file("e.telvor")}).native;
    ASSERT_EQ(fs::path(journal).parent_path(), fs::path(dir.file("e.telvor")).parent_path());
    for (const std::string& name : {dir.file("e.telvor.telvor-tmp-a1B2c3"), dir.file("e.telvor.telvor-tmp-a1B2c"),
                                    dir.file("e.telvor.telvor-tmp-a1B2c3d"), dir.file("f.telvor.telvor-tmp-a1B2c3"),
                                    journal + ".telvor-tmp-xYz012"})
        write_bytes(name, "x");
    EXPECT_EQ(file_recover(Path{dir.file("e.telvor")}).outcome, Recovery::Outcome::none);
    EXPECT_FALSE(file_exists_on_disk(dir.file("e.telvor.telvor-tmp-a1B2c3")));
    EXPECT_FALSE(file_exists_on_disk(journal + ".telvor-tmp-xYz012"));
    EXPECT_EQ(folder_entries(dir.path()), 4);
}

}  // namespace
