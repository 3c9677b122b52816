// The file layer on POSIX systems: working files for their user alone,
// dangling links, replacement through a link, a write cut short, and folder
// locks between processes.
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

int mode_of(const std::string& path) { return static_cast<int>(fs::status(path).permissions()); }

class PosixFiles : public ::testing::Test {
protected:
    void TearDown() override {
        file_close_all();
        folder_locks_release();
    }
    Path at(const std::string& name) const { return Path{dir.file(name)}; }
    // Runs body in a child process; its exit status.
    template <class Body>
    int in_child(Body body) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(body());
        int status = -1;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ScratchDir dir;
};

// A working file is made anew for its user alone, whatever the umask and
// whatever was left under its name. (Links and FIFOs planted there are the
// whole-run protected-files test's.)
TEST_F(PosixFiles, WorkingFileIsFreshAndUserOnly) {
    write_bytes(dir.file("TELVOR.DAT"), "left over by a killed run");
    ASSERT_EQ(::chmod(dir.file("TELVOR.DAT").c_str(), 0644), 0);
    const mode_t old_mask = ::umask(0);
    ASSERT_NE(file_create_working(2, at("TELVOR.DAT")), 0);
    ::umask(old_mask);
    EXPECT_EQ(file_write_line(2, "mine"), 6);
    EXPECT_NE(file_close(2), 0);
    EXPECT_EQ(mode_of(dir.file("TELVOR.DAT")), 0600);
    EXPECT_EQ(read_bytes(dir.file("TELVOR.DAT")), "mine\r\n");
}

// A new file is made only where no entry is: a dangling link counts.
TEST_F(PosixFiles, CreateRefusesADanglingLink) {
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("new.telvor").c_str()), 0);
    EXPECT_NE(file_entry_exists(at("new.telvor")), 0);
    EXPECT_EQ(file_create(2, at("new.telvor")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("elsewhere")));
}

// A file this run holds open is not replaced under another name either;
// a link given as the target stays a link to the new content. (Bits, owners,
// write protection and folders that may not be written are the whole-run
// replacement tests'.)
TEST_F(PosixFiles, ReplaceThroughALink) {
    const std::string dst = dir.file("event.telvor");
    const Path journals{dir.path()};
    write_bytes(dst, "old\r\n");
    ASSERT_EQ(::symlink("event.telvor", dir.file("alias").c_str()), 0);
    write_bytes(dir.file("TELVOR.DAT"), "new\r\n");
    ASSERT_NE(file_open_read(1, at("event.telvor")), 0);
    EXPECT_EQ(file_replace(at("TELVOR.DAT"), at("alias"), journals), 0);
    EXPECT_EQ(read_bytes(dst), "old\r\n");
    file_close(1);
    EXPECT_NE(file_replace(at("TELVOR.DAT"), at("alias"), journals), 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("alias")));
    EXPECT_EQ(read_bytes(dst), "new\r\n");
    EXPECT_EQ(folder_entries(dir.path()), 2);
}

TEST_F(PosixFiles, WriteCutShortByTheFileSizeLimitIsReportedByClose) {
    // A direct write cut short by the file-size limit (real only in a child).
    EXPECT_EQ(in_child([&] {
                  char name[] = "telvor", *argv[] = {name, nullptr};
                  program_start(1, argv);
                  struct rlimit limit = {10000, 10000};
                  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || file_create(2, at("big")) == 0) return 3;
                  file_write_line(2, std::string(3 * FILE_BUFFER_SIZE, 'x'));
                  return file_close(2) == 0 && !file_failure_reason().empty() ? 0 : 1;
              }),
              0);
    EXPECT_EQ(fs::file_size(dir.file("big")), 10000u);
}

// Another process holding a folder keeps this one out until it ends, and
// nothing of its claim outlives it.
TEST_F(PosixFiles, FolderLockExcludesOtherProcessesUntilTheyEnd) {
    {
        const LockHolder other(dir.path());
        ASSERT_TRUE(other.held());
        EXPECT_EQ(folder_lock(Path{dir.path()}), FOLDER_BUSY);
        // A link elsewhere leads to the same folder.
        ScratchDir elsewhere;
        write_bytes(dir.file("e.telvor"), "");
        ASSERT_EQ(::symlink(dir.file("e.telvor").c_str(), elsewhere.file("e.telvor").c_str()), 0);
        EXPECT_EQ(folder_lock_of_file(Path{elsewhere.file("e.telvor")}), FOLDER_BUSY);
    }
    EXPECT_EQ(folder_lock(Path{dir.path()}), FOLDER_CLAIMED);
}

}  // namespace
