// The file layer on POSIX systems: working files for their user alone,
// dangling links, a write cut short, and a folder lock through a link.
// (Planted links and FIFOs, bits and owners kept by a replacement: the
// whole-run and fault tests.)
#include "runtime/file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/lock_holder_posix.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

class PosixFiles : public ::testing::Test {
protected:
    void TearDown() override {
        file_close_all();
        folder_locks_release();
    }
    Path at(const std::string& name) const { return Path{dir.file(name)}; }
    ScratchDir dir;
};

// A working file is made anew for its user alone, whatever the umask; a new
// file only where no entry is, a dangling link included.
TEST_F(PosixFiles, WorkingFileIsUserOnlyAndCreateRefusesADanglingLink) {
    write_bytes(dir.file("TELVOR.DAT"), "left over by a killed run");
    ASSERT_EQ(::chmod(dir.file("TELVOR.DAT").c_str(), 0644), 0);
    const mode_t old_mask = ::umask(0);
    ASSERT_NE(file_create_working(2, at("TELVOR.DAT")), 0);
    ::umask(old_mask);
    EXPECT_NE(file_close(2), 0);
    EXPECT_EQ(static_cast<int>(fs::status(dir.file("TELVOR.DAT")).permissions()), 0600);

    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("new.telvor").c_str()), 0);
    EXPECT_NE(file_entry_exists(at("new.telvor")), 0);
    EXPECT_EQ(file_create(2, at("new.telvor")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("elsewhere")));
}

// A direct write cut short by the file-size limit (real only in a child) is
// reported by the close.
TEST_F(PosixFiles, WriteCutShortByTheFileSizeLimitIsReportedByClose) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        char name[] = "telvor", *argv[] = {name, nullptr};
        program_start(1, argv);
        struct rlimit limit = {10000, 10000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || file_create(2, at("big")) == 0) ::_exit(3);
        file_write_line(2, std::string(3 * FILE_BUFFER_SIZE, 'x'));
        ::_exit(file_close(2) == 0 && !file_failure_reason().empty() ? 0 : 1);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(fs::file_size(dir.file("big")), 10000u);
}

// A folder another process holds is busy also by a link from elsewhere to a
// file in it. (Exclusion by the folder itself, and its end: the whole-run
// data-safety test.)
TEST_F(PosixFiles, FolderLockOfAFileFollowsLinks) {
    ScratchDir elsewhere;
    write_bytes(dir.file("e.telvor"), "");
    ASSERT_EQ(::symlink(dir.file("e.telvor").c_str(), elsewhere.file("e.telvor").c_str()), 0);
    const LockHolder other(dir.path());
    ASSERT_TRUE(other.held());
    EXPECT_EQ(folder_lock_of_file(Path{elsewhere.file("e.telvor")}), FOLDER_BUSY);
}

}  // namespace
