// Line files in File slots, why an operation failed, the current folder; on POSIX also private
// working files and folder and file locks through links.
#include "fs/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fs/folders.h"
#include "support/test_support.h"
#include "sys/os.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/lock_holder_posix.h"
#endif

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<Text>;

class Files : public ::testing::Test {
protected:
    void TearDown() override { file_close_all(), folder_locks_release(); }
    Path at(const std::string& name) const { return Path{dir.file(name)}; }
    // The lines as a reading loop sees them; file_at_end must consume nothing.
    Lines lines_of(const std::string& bytes) {
        write_bytes(dir.file("in"), bytes);
        Lines lines;
        EXPECT_TRUE(file_open_read(1, at("in")));
        while (file_at_end(1) == 0 && file_at_end(1) == 0) lines.emplace_back(file_read_line_view(1));
        EXPECT_EQ(file_read_line_view(1), "");
        EXPECT_NE(file_at_end(1), 0);
        EXPECT_TRUE(file_close(1));
        return lines;
    }
    ScratchDir dir;
};

TEST_F(Files, LineSplitting) {
    const std::string full(FILE_BUFFER_SIZE - 1, 'a'), big(3 * FILE_BUFFER_SIZE, 'x');
    for (auto [bytes, want] : std::initializer_list<std::pair<std::string, Lines>>{
             {"", {}}, {"a\r\r\nb", {"a", "", "b"}}, {"a\n\rb", {"a", "", "b"}}, {"last", {"last"}},
             {std::string("x\r\0y", 4), {"x", "", "y"}}, {full + "\r\nb", {full, "b"}}, {full + "\r", {full}},
             {"head\r\n" + big + "\r\ntail", {"head", big, "tail"}}})
        EXPECT_TRUE(lines_of(bytes) == want) << bytes.size();
}

// A line copied across equals the line read, trimmed and written, whatever its end and the buffers'.
TEST_F(Files, CopyLineEqualsReadTrimWrite) {
    std::string bytes, want;
    const auto add = [&](const std::string& text, const std::string& end) {
        bytes += text + end;
        want += text.substr(0, text.find_last_not_of(' ') + 1) + "\r\n";
    };
    const std::string ends[] = {"\r\n", "\n", "\r", std::string(1, '\0')};
    for (int i = 0; bytes.size() < 4 * FILE_BUFFER_SIZE; ++i) {
        add(std::string(static_cast<std::size_t>(i * 331 % 1000), 'x') + (i % 7 ? "" : i % 3 ? " " : " \t "),
            i % 9 ? ends[0] : ends[i % 4]);
        if (i == 50 || i == 200) add("a", "\r"), add("", "\r\n"), add("b", ends[3]), add("", "\n");
        // A CR LF split by the end of the first buffer, a CR alone ending the second, a line longer than one.
        if (i == 60) add(std::string(FILE_BUFFER_SIZE - 1 - bytes.size(), 'y'), "\r\n");
        if (i == 61) add(std::string(2 * FILE_BUFFER_SIZE - 1 - bytes.size(), 'z'), "\r");
        if (i == 62) add(std::string(FILE_BUFFER_SIZE + 1, 'd'), "\r\n");
    }
    write_bytes(dir.file("in"), bytes);
    ASSERT_TRUE(file_open_read(1, at("in")));
    ASSERT_TRUE(file_create(2, at("out")));
    // A line whose CR LF would end one byte past the buffer.
    const std::string first(FILE_BUFFER_SIZE - 5, 'w');
    file_write_line(2, first);
    file_write_line(2, "ab");
    want = first + "\r\nab\r\n" + want;
    for (int i = 0; i < 100; ++i) file_copy_lines(1, 2, 1);
    file_copy_lines(1, 2, 7);
    file_copy_lines(1, 2, -1);
    EXPECT_NE(file_at_end(1), 0);
    file_copy_lines(1, 2, 2);  // at the end: empty lines
    EXPECT_TRUE(file_close(2));
    EXPECT_TRUE(read_bytes(dir.file("out")) == want + "\r\n\r\n");
}

// A failed open leaves the slot closed; a new file never goes over an entry; a working file
// replaces an empty folder.
TEST_F(Files, SlotsOpenCreateAndFailQuietly) {
    write_bytes(dir.file("a"), "one\r\n");
    ASSERT_TRUE(file_open_read(1, at("a")));
    ASSERT_FALSE(file_open_read(1, at("missing")));
    EXPECT_EQ(file_read_line_view(1), "");
    EXPECT_FALSE(file_create(2, at("a")));
    EXPECT_EQ(read_bytes(dir.file("a")), "one\r\n");
    fs::create_directory(dir.file("TELVOR.CLP"));
    ASSERT_TRUE(file_create_working(2, at("TELVOR.CLP")));
    EXPECT_TRUE(file_close(2));
    EXPECT_TRUE(fs::is_regular_file(dir.file("TELVOR.CLP")));
}

// Plain words for the common causes, whatever the system calls them.
TEST_F(Files, FailureReasonsInPlainWords) {
    write_bytes(dir.file("a"), "one\r\n");
    os::fault_at(os::OPEN, 1, os::Fault::fail, os::Error::in_use);
    const FileResult opened = file_open_read(1, at("a"));
    ASSERT_FALSE(opened);
    EXPECT_EQ(failure_plain_reason(opened.failure(), at("a")), "another program has the file open");
#ifndef _WIN32
    os::Handle full;
    ASSERT_TRUE(os::open("/dev/full", os::Open::write_existing, full));
    EXPECT_FALSE(os::write(full, "x", 1));
    const Failure failure = system_failure();
    os::close(full);
    EXPECT_EQ(failure_plain_reason(failure, Path{"/dev/full"}), "the disk is full");
#endif
}

// Missing files are the same by one name in one folder; a long current directory comes back whole.
TEST_F(Files, SameFilesAndLongCurrentDirectory) {
    fs::create_directory(dir.file("sub"));
    EXPECT_NE(file_entry_exists(at("sub")), 0);
    EXPECT_NE(file_same(at("b"), at("sub/../b")), 0);
    EXPECT_EQ(file_same(at("sub/b"), at("b")), 0);
    const fs::path saved = fs::current_path();
    const std::string part(120, 'd'), deep = fs::canonical(dir.path()).string() + "/" + part + "/" + part + "/" + part;
    fs::create_directories(deep);
    EXPECT_TRUE(directory_set_current(Path{deep}));
    Path current;
    EXPECT_TRUE(directory_get_current(current));
    EXPECT_EQ(fs::path(current.native), fs::path(deep));  // longer than 254 bytes
    fs::current_path(saved);
}

#ifndef _WIN32
// A working file is made anew for its user alone, whatever the umask; a new file not even over a dangling link.
TEST_F(Files, WorkingFileIsUserOnlyAndCreateRefusesADanglingLink) {
    write_bytes(dir.file("TELVOR.DAT"), "left over by a killed run");
    ASSERT_EQ(::chmod(dir.file("TELVOR.DAT").c_str(), 0644), 0);
    const mode_t old_mask = ::umask(0);
    ASSERT_TRUE(file_create_working(2, at("TELVOR.DAT")));
    ::umask(old_mask);
    EXPECT_TRUE(file_close(2));
    EXPECT_EQ(static_cast<int>(fs::status(dir.file("TELVOR.DAT")).permissions()), 0600);
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("new.telvor").c_str()), 0);
    EXPECT_NE(file_entry_exists(at("new.telvor")), 0);
    EXPECT_FALSE(file_create(2, at("new.telvor")));
    EXPECT_FALSE(file_exists_on_disk(dir.file("elsewhere")));
}

// A folder another process holds is busy also by a link from elsewhere to a
// file in it; a file it holds, also by its second name in another folder.
TEST_F(Files, FolderAndFileLocksFollowLinks) {
    ScratchDir elsewhere, third;
    write_bytes(dir.file("e.telvor"), "");
    ASSERT_EQ(::symlink(dir.file("e.telvor").c_str(), elsewhere.file("e.telvor").c_str()), 0);
    fs::create_hard_link(dir.file("e.telvor"), third.file("second.telvor"));
    {
        const LockHolder other(dir.path());
        ASSERT_TRUE(other.held());
        EXPECT_EQ(folder_lock_of_file(Path{elsewhere.file("e.telvor")}).claim, Claim::busy);
    }
    const LockHolder other(dir.file("e.telvor"), true);
    ASSERT_TRUE(other.held());
    EXPECT_EQ(folder_lock_of_file(Path{third.file("second.telvor")}).claim, Claim::busy);
}
#endif

}  // namespace
