// file_copy and file_delete: atomic replacement of the destination, the
// refusals, and what is left in the folder afterwards.
#include "runtime/file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

mode_t mode_of(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

bool is_symlink(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// The names in a folder, sorted; shows left-over temporary files.
std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

class FileCopy : public ::testing::Test {
protected:
    void SetUp() override {
        write_bytes(dir.file("TELVOR.DAT"), "new\r\n");
        write_bytes(dir.file("event.telvor"), "old line 1\r\nold line 2\r\nold line 3\r\n");
    }
    void TearDown() override { file_close_all(); }
    std::string src() const { return dir.file("TELVOR.DAT"); }
    std::string dst() const { return dir.file("event.telvor"); }
    ScratchDir dir;
};

TEST_F(FileCopy, ReplacesTheDestinationWholeAndKeepsTheSource) {
    EXPECT_NE(file_copy(src(), dst()), 0);
    EXPECT_EQ(read_bytes(dst()), "new\r\n");
    EXPECT_EQ(read_bytes(src()), "new\r\n");
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "event.telvor"}));

    // Bytes are copied unchanged, also 0 bytes and a large file.
    std::string big(3 * 1024 * 1024 + 5, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 256);
    write_bytes(src(), big);
    EXPECT_NE(file_copy(src(), dst()), 0);
    EXPECT_TRUE(read_bytes(dst()) == big);
    write_bytes(src(), "");
    EXPECT_NE(file_copy(src(), dst()), 0);
    EXPECT_EQ(read_bytes(dst()), "");
    // A file copied onto itself stays as it is.
    write_bytes(src(), "same");
    EXPECT_NE(file_copy(src(), src()), 0);
    EXPECT_EQ(read_bytes(src()), "same");
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "event.telvor"}));
}

TEST_F(FileCopy, NewDestinationGetsTheUsualMode) {
    mode_t old_mask = ::umask(027);
    ASSERT_EQ(::chmod(src().c_str(), 0600), 0);
    EXPECT_NE(file_copy(src(), dir.file("fresh.telvor")), 0);
    ::umask(old_mask);
    EXPECT_EQ(read_bytes(dir.file("fresh.telvor")), "new\r\n");
    EXPECT_EQ(mode_of(dir.file("fresh.telvor")), 0640u);
    // A destination in a folder that does not exist is not made.
    EXPECT_EQ(file_copy(src(), dir.file("nofolder/x.telvor")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("nofolder")));
}

TEST_F(FileCopy, BadSourceCreatesNothing) {
    EXPECT_EQ(file_copy(dir.file("missing"), dst()), 0);
    EXPECT_EQ(read_bytes(dst()), "old line 1\r\nold line 2\r\nold line 3\r\n");
    EXPECT_EQ(file_copy(dir.file("missing"), dir.file("other.telvor")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("other.telvor")));
    EXPECT_EQ(file_copy(dir.path(), dir.file("other.telvor")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("other.telvor")));
    EXPECT_EQ(file_copy("", dst()), 0);
    EXPECT_EQ(file_copy(src(), ""), 0);
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "event.telvor"}));
}

TEST_F(FileCopy, RefusedWhileTheDestinationIsOpenInASlot) {
    const std::string old_content = read_bytes(dst());
    ASSERT_NE(file_open_read(1, dst()), 0);
    EXPECT_EQ(file_copy(src(), dst()), 0);
    // Another name for the same file is refused as well.
    ASSERT_EQ(::symlink("event.telvor", dir.file("alias").c_str()), 0);
    ASSERT_EQ(::link(dst().c_str(), dir.file("hardlink").c_str()), 0);
    EXPECT_EQ(file_copy(src(), dir.file("alias")), 0);
    EXPECT_EQ(file_copy(src(), dir.file("hardlink")), 0);
    EXPECT_EQ(file_copy(src(), dir.path() + "./event.telvor"), 0);
    EXPECT_EQ(read_bytes(dst()), old_content);
    EXPECT_EQ(file_read_line(1), "old line 1");
    file_close(1);
    ASSERT_EQ(::unlink(dir.file("hardlink").c_str()), 0);

    // Open for writing in any slot counts too.
    ASSERT_NE(file_create(5, dst()), 0);
    EXPECT_EQ(file_copy(src(), dst()), 0);
    file_close(5);
    EXPECT_EQ(read_bytes(dst()), "");

    EXPECT_NE(file_copy(src(), dir.file("alias")), 0);
    EXPECT_EQ(read_bytes(dst()), "new\r\n");
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "alias", "event.telvor"}));
}

TEST_F(FileCopy, SourceStillBeingWrittenIsNotCopied) {
    ASSERT_NE(file_create(2, src()), 0);
    file_write_line(2, "pending");
    EXPECT_EQ(file_copy(src(), dst()), 0);
    file_close(2);
    EXPECT_NE(file_copy(src(), dst()), 0);
    EXPECT_EQ(read_bytes(dst()), "pending\r\n");
}

TEST_F(FileCopy, PermissionBitsAreKept) {
    ASSERT_EQ(::chmod(src().c_str(), 0600), 0);
    for (mode_t mode : {0640u, 0604u, 0777u, 0200u}) {
        ASSERT_EQ(::chmod(dst().c_str(), mode), 0);
        EXPECT_NE(file_copy(src(), dst()), 0) << mode;
        EXPECT_EQ(mode_of(dst()), mode);
    }
    EXPECT_EQ(mode_of(src()), 0600u);
}

TEST_F(FileCopy, SymbolicLinksAreReplacedAtTheirTarget) {
    // link -> sub/link2 -> (relative, inside sub) ../event.telvor
    fs::create_directory(dir.file("sub"));
    ASSERT_EQ(::symlink("../event.telvor", dir.file("sub/link2").c_str()), 0);
    ASSERT_EQ(::symlink("sub/link2", dir.file("link").c_str()), 0);
    ASSERT_EQ(::chmod(dst().c_str(), 0640), 0);
    EXPECT_NE(file_copy(src(), dir.file("link")), 0);
    EXPECT_TRUE(is_symlink(dir.file("link")));
    EXPECT_TRUE(is_symlink(dir.file("sub/link2")));
    EXPECT_EQ(read_bytes(dst()), "new\r\n");
    EXPECT_EQ(mode_of(dst()), 0640u);
    EXPECT_EQ(names_in(dir.file("sub")), Names{"link2"});

    // An absolute link into another folder: the copy is made there.
    fs::create_directory(dir.file("elsewhere"));
    write_bytes(dir.file("elsewhere/real"), "old");
    ASSERT_EQ(::symlink(dir.file("elsewhere/real").c_str(), dir.file("abs").c_str()), 0);
    EXPECT_NE(file_copy(src(), dir.file("abs")), 0);
    EXPECT_TRUE(is_symlink(dir.file("abs")));
    EXPECT_EQ(read_bytes(dir.file("elsewhere/real")), "new\r\n");
    EXPECT_EQ(names_in(dir.file("elsewhere")), Names{"real"});

    // A dangling link gets its target.
    ASSERT_EQ(::symlink("elsewhere/later", dir.file("dangling").c_str()), 0);
    EXPECT_NE(file_copy(src(), dir.file("dangling")), 0);
    EXPECT_TRUE(is_symlink(dir.file("dangling")));
    EXPECT_EQ(read_bytes(dir.file("elsewhere/later")), "new\r\n");

    // A link loop is refused.
    ASSERT_EQ(::symlink("loop2", dir.file("loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", dir.file("loop2").c_str()), 0);
    EXPECT_EQ(file_copy(src(), dir.file("loop1")), 0);
    EXPECT_TRUE(is_symlink(dir.file("loop1")));
}

// Write protection is judged by the permission bits as well, so that the
// refusals hold when the tests run with full privileges.
TEST_F(FileCopy, WriteProtectedDestinationOrFolderIsNotReplaced) {
    const std::string old_content = read_bytes(dst());
    ASSERT_EQ(::chmod(dst().c_str(), 0444), 0);
    EXPECT_EQ(file_copy(src(), dst()), 0);
    EXPECT_EQ(read_bytes(dst()), old_content);
    EXPECT_EQ(mode_of(dst()), 0444u);
    ASSERT_EQ(::symlink("event.telvor", dir.file("alias").c_str()), 0);
    EXPECT_EQ(file_copy(src(), dir.file("alias")), 0);
    EXPECT_EQ(read_bytes(dst()), old_content);
    ASSERT_EQ(::unlink(dir.file("alias").c_str()), 0);
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "event.telvor"}));
    ASSERT_EQ(::chmod(dst().c_str(), 0644), 0);

    fs::create_directory(dir.file("locked"));
    write_bytes(dir.file("locked/event.telvor"), "kept");
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0555), 0);
    EXPECT_EQ(file_copy(src(), dir.file("locked/event.telvor")), 0);
    EXPECT_EQ(file_copy(src(), dir.file("locked/new.telvor")), 0);
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0755), 0);
    EXPECT_EQ(read_bytes(dir.file("locked/event.telvor")), "kept");
    EXPECT_EQ(names_in(dir.file("locked")), Names{"event.telvor"});

    // A directory is not a destination.
    fs::create_directory(dir.file("folder.telvor"));
    EXPECT_EQ(file_copy(src(), dir.file("folder.telvor")), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("folder.telvor")));
}

// A copy that fails half-way (file-size limit in a child process) leaves
// the destination as it was and no temporary file behind.
TEST_F(FileCopy, FailedCopyLeavesTheDestinationUntouched) {
    write_bytes(src(), std::string(200000, 's'));
    const std::string old_content = read_bytes(dst());
    pid_t pid = ::fork();
    if (pid == 0) {
        char name[] = "telvor";
        char* argv[] = {name, nullptr};
        program_start(1, argv);
        struct rlimit limit = {50000, 50000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
        ::_exit(file_copy(src(), dst()) == 0 ? 0 : 1);
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_bytes(dst()), old_content);
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "event.telvor"}));
}

TEST_F(FileCopy, LongAndConvertedNames) {
    // Room for the temporary name is made also beside a 250-byte name.
    const std::string long_name(250, 'n');
    write_bytes(dir.file(long_name), "old");
    EXPECT_NE(file_copy(src(), dir.file(long_name)), 0);
    EXPECT_EQ(read_bytes(dir.file(long_name)), "new\r\n");
    EXPECT_EQ(names_in(dir.path()), (Names{"TELVOR.DAT", "event.telvor", long_name}));

    // Windows-1252 paths name UTF-8 files on disk.
    EXPECT_NE(file_copy(src(), dir.path() + "M\xE4rz.telvor"), 0);
    EXPECT_EQ(read_bytes(dir.path() + "M\xC3\xA4rz.telvor"), "new\r\n");
    EXPECT_NE(file_copy(dir.path() + "M\xE4rz.telvor", dir.path() + "\xC4pril"), 0);
    EXPECT_EQ(read_bytes(dir.path() + "\xC3\x84pril"), "new\r\n");
}

}  // namespace
