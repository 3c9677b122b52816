// The file layer on POSIX systems: permission bits, owners and links kept,
// planted links and FIFOs, write protection, write and read errors, folder
// locks between processes, and replacements across file systems.
#include "runtime/file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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
    long entries(const std::string& folder) const {
        return std::distance(fs::directory_iterator(folder), {});
    }
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

// Links of both kinds and a FIFO planted under a working file's name lose
// only that name: their targets keep their bytes and their bits.
TEST_F(PosixFiles, WorkingFileIsFreshAndUserOnly) {
    write_bytes(dir.file("victim"), "precious");
    ASSERT_EQ(::chmod(dir.file("victim").c_str(), 0644), 0);
    ASSERT_EQ(::link(dir.file("victim").c_str(), dir.file("TELVOR.DAT").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("victim").c_str(), dir.file("TELVOR.CLP").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    const mode_t old_mask = ::umask(0);
    for (const char* name : {"TELVOR.DAT", "TELVOR.CLP", "fifo"}) {
        SCOPED_TRACE(name);
        ASSERT_NE(file_create_working(2, at(name)), 0);
        EXPECT_EQ(file_write_line(2, "mine"), 6);
        EXPECT_NE(file_close(2), 0);
        EXPECT_EQ(mode_of(dir.file(name)), 0600);
        EXPECT_EQ(read_bytes(dir.file(name)), "mine\r\n");
    }
    ::umask(old_mask);
    EXPECT_EQ(read_bytes(dir.file("victim")), "precious");
    EXPECT_EQ(mode_of(dir.file("victim")), 0644);
    EXPECT_EQ(fs::hard_link_count(dir.file("victim")), 1u);
}

// A new file is made only where no entry is: a dangling link counts.
TEST_F(PosixFiles, CreateRefusesADanglingLink) {
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("new.telvor").c_str()), 0);
    EXPECT_NE(file_entry_exists(at("new.telvor")), 0);
    EXPECT_EQ(file_create(2, at("new.telvor")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("elsewhere")));
}

TEST_F(PosixFiles, ReplaceKeepsBitsAndLinkAndHonoursWriteProtection) {
    const std::string dst = dir.file("event.telvor");
    const Path journals{dir.path()};
    write_bytes(dst, "old\r\n");
    ASSERT_EQ(::chmod(dst.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("event.telvor", dir.file("alias").c_str()), 0);
    write_bytes(dir.file("TELVOR.DAT"), "new\r\n");
    ASSERT_NE(file_open_read(1, at("event.telvor")), 0);
    EXPECT_EQ(file_replace(at("TELVOR.DAT"), at("alias"), journals), 0);  // open through another name
    file_close(1);
    EXPECT_NE(file_replace(at("TELVOR.DAT"), at("alias"), journals), 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("alias")));
    EXPECT_EQ(read_bytes(dst), "new\r\n");
    EXPECT_EQ(mode_of(dst), 0640);

    // Write protection holds also for root; the working file stays.
    write_bytes(dir.file("TELVOR.DAT"), "newer\r\n");
    ASSERT_EQ(::chmod(dst.c_str(), 0444), 0);
    EXPECT_EQ(file_replace(at("TELVOR.DAT"), at("event.telvor"), journals), 0);
    EXPECT_EQ(read_bytes(dst), "new\r\n");
    EXPECT_EQ(read_bytes(dir.file("TELVOR.DAT")), "newer\r\n");
    // A file that may be written in a folder that may not is rewritten in
    // place, its journal kept in the journal folder meanwhile; a new name
    // cannot be made there.
    fs::create_directory(dir.file("locked"));
    write_bytes(dir.file("locked/e"), "kept");
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0555), 0);
    EXPECT_EQ(file_replace(at("TELVOR.DAT"), at("locked/f"), journals), 0);
    EXPECT_NE(file_replace(at("TELVOR.DAT"), at("locked/e"), journals), 0);
    EXPECT_EQ(read_bytes(dir.file("locked/e")), "newer\r\n");
    EXPECT_EQ(entries(dir.file("locked")), 1);
    EXPECT_FALSE(file_exists_on_disk(dir.file("TELVOR.DAT")));
    EXPECT_EQ(entries(dir.path()), 3);  // no journal left beside the rest
}

// Across file systems the working file is copied beside the target and
// renamed over it, then deleted.
TEST_F(PosixFiles, ReplaceAcrossFileSystemsCopies) {
    struct stat shm, here;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system to copy to";
    char folder[] = "/dev/shm/telvor-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string target = std::string(folder) + "/event.telvor";
    write_bytes(target, "old\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    write_bytes(dir.file("TELVOR.DAT"), "new\r\n");
    EXPECT_NE(file_replace(at("TELVOR.DAT"), Path{target}, Path{dir.path()}), 0);
    EXPECT_EQ(read_bytes(target), "new\r\n");
    EXPECT_EQ(mode_of(target), 0604);
    EXPECT_FALSE(file_exists_on_disk(dir.file("TELVOR.DAT")));
    EXPECT_EQ(entries(folder), 1);
    fs::remove_all(folder);
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
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        char byte = folder_lock(Path{dir.path()}) == FOLDER_CLAIMED ? 'y' : 'n';
        (void)::write(ready[1], &byte, 1);
        (void)::read(done[0], &byte, 1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    EXPECT_EQ(folder_lock(Path{dir.path()}), FOLDER_BUSY);
    // A link elsewhere leads to the same folder.
    ScratchDir other;
    write_bytes(dir.file("e.telvor"), "");
    ASSERT_EQ(::symlink(dir.file("e.telvor").c_str(), other.file("e.telvor").c_str()), 0);
    EXPECT_EQ(folder_lock_of_file(Path{other.file("e.telvor")}), FOLDER_BUSY);
    (void)::write(done[1], &byte, 1);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(folder_lock(Path{dir.path()}), FOLDER_CLAIMED);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

}  // namespace
