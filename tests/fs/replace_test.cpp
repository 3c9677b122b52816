// The replacement's refusals (write-protected: the whole runs' failed steps), and the leftovers a
// recovery removes. (Failing or cut at any point, the journal: tests/app/.)
#include "fs/replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#ifndef _WIN32
#include "support/lock_holder_posix.h"
#endif

#include "fs/file.h"
#include "fs/folders.h"
#include "support/test_support.h"
#include "sys/os.h"

namespace {

namespace fs = std::filesystem;
const std::string OLD = "old", NEW = "new";

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
