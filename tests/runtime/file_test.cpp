// Line files in File slots: line splitting, buffering, open modes, the
// sharing rules between slots and the reporting of write failures.
#include "runtime/file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using Lines = std::vector<Text>;

// Every line of a file as the reading loops of a run see them; checks that
// the file is at its end afterwards and stays there.
Lines read_lines(const std::string& path) {
    Lines lines;
    EXPECT_NE(file_open_read(1, path), 0) << path;
    while (file_at_end(1) == 0) lines.push_back(file_read_line(1));
    EXPECT_EQ(file_read_line(1), "");
    EXPECT_NE(file_at_end(1), 0);
    file_close(1);
    return lines;
}

Lines lines_of(const std::string& bytes) {
    ScratchDir dir;
    write_bytes(dir.file("in"), bytes);
    return read_lines(dir.file("in"));
}

off_t size_on_disk(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

mode_t mode_of(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Runs body in a child process and gives its exit code (-1: did not exit).
int exit_code_of_child(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class FileSlots : public ::testing::Test {
protected:
    void TearDown() override { file_close_all(); }
    ScratchDir dir;
};

TEST_F(FileSlots, LineEndsAndTheirCombinations) {
    EXPECT_EQ(lines_of(""), Lines{});
    EXPECT_EQ(lines_of("a\r\n"), Lines{"a"});
    EXPECT_EQ(lines_of("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(lines_of("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(lines_of("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(lines_of("a\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(lines_of("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(lines_of("a\n\n"), (Lines{"a", ""}));
    EXPECT_EQ(lines_of("last"), Lines{"last"});
    // A CR at the very end closes the last line; no empty line follows.
    EXPECT_EQ(lines_of("a\r"), Lines{"a"});
    EXPECT_EQ(lines_of("\r"), Lines{""});
    // Tabs, spaces and high bytes are ordinary line content.
    EXPECT_EQ(lines_of("\tx  \xE4\xFF\r\n"), Lines{"\tx  \xE4\xFF"});
}

TEST_F(FileSlots, ZeroByteEndsTheLine) {
    EXPECT_EQ(lines_of(std::string("ab\0cd", 5)), (Lines{"ab", "cd"}));
    EXPECT_EQ(lines_of(std::string("\0", 1)), Lines{""});
    EXPECT_EQ(lines_of(std::string("a\0\0b", 4)), (Lines{"a", "", "b"}));
    // The byte after a CR is left unread, also when it is a 0 byte.
    EXPECT_EQ(lines_of(std::string("x\r\0y", 4)), (Lines{"x", "", "y"}));
}

TEST_F(FileSlots, LineEndsAcrossTheBufferBoundary) {
    const std::string full(4095, 'a');
    // CR is the 4096th byte, its LF the first byte of the next buffer fill.
    EXPECT_EQ(lines_of(full + "\r\nb"), (Lines{full, "b"}));
    EXPECT_EQ(lines_of(full + "\rb"), (Lines{full, "b"}));
    EXPECT_EQ(lines_of(full + "\r\r\nb"), (Lines{full, "", "b"}));
    // The file ends with that CR exactly at the end of the buffer.
    EXPECT_EQ(lines_of(full + "\r"), Lines{full});
    EXPECT_EQ(lines_of(full + "\n"), Lines{full});
    // A line that runs over several buffer fills.
    const std::string longer(3 * 4096 + 17, 'q');
    EXPECT_EQ(lines_of("x\n" + longer + "\r\ny"), (Lines{"x", longer, "y"}));
    EXPECT_EQ(lines_of(std::string(4096, 'z')), Lines{std::string(4096, 'z')});
}

TEST_F(FileSlots, VeryLongLinesAndManyShortLinesAreReadWhole) {
    std::string line(10 * 1024 * 1024, 'x');
    for (std::size_t i = 0; i < line.size(); i += 997) line[i] = static_cast<char>('a' + i % 26);
    write_bytes(dir.file("long"), "head\r\n" + line + "\r\n" + line + "tail");
    ASSERT_NE(file_open_read(1, dir.file("long")), 0);
    EXPECT_EQ(file_read_line(1), "head");
    EXPECT_TRUE(file_read_line(1) == line);
    EXPECT_TRUE(file_read_line(1) == line + "tail");
    EXPECT_NE(file_at_end(1), 0);
    file_close(1);

    std::string many;
    for (int i = 0; i < 300000; ++i) many += std::to_string(i) + (i % 2 ? "\n" : "\r\n");
    write_bytes(dir.file("many"), many);
    Lines lines = read_lines(dir.file("many"));
    ASSERT_EQ(lines.size(), 300000u);
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[299999], "299999");
}

TEST_F(FileSlots, AtEndLooksAheadWithoutConsuming) {
    const std::string full(4095, 'a');
    write_bytes(dir.file("f"), "a\rb" + full + "\rc");
    ASSERT_NE(file_open_read(1, dir.file("f")), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "a");
    EXPECT_EQ(file_at_end(1), 0);
    EXPECT_EQ(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "b" + full);
    EXPECT_EQ(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "c");
    EXPECT_NE(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "");
    EXPECT_EQ(file_read_line(1), "");
    EXPECT_NE(file_at_end(1), 0);

    write_bytes(dir.file("empty"), "");
    ASSERT_NE(file_open_read(1, dir.file("empty")), 0);
    EXPECT_NE(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "");
}

TEST_F(FileSlots, ClosedAndOutOfRangeSlotsDoNothing) {
    for (int slot : {0, 5, int{FILE_SLOT_COUNT} - 1, -1, int{FILE_SLOT_COUNT}, 1000}) {
        EXPECT_NE(file_at_end(slot), 0) << slot;
        EXPECT_EQ(file_read_line(slot), "") << slot;
        EXPECT_EQ(file_write_line(slot, "x"), 0) << slot;
        EXPECT_NE(file_close(slot), 0) << slot;
        EXPECT_EQ(file_open_read(slot, dir.file("missing")), 0) << slot;
        EXPECT_EQ(file_create(slot, dir.file("nofolder/x")), 0) << slot;
    }
    EXPECT_EQ(file_open_read(-1, dir.file("missing")), 0);
    write_bytes(dir.file("f"), "x");
    EXPECT_EQ(file_open_read(FILE_SLOT_COUNT, dir.file("f")), 0);
    EXPECT_EQ(file_create(-1, dir.file("g")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("g")));
}

TEST_F(FileSlots, OpenForReading) {
    EXPECT_EQ(file_open_read(1, dir.file("missing")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("missing")));
    EXPECT_EQ(file_open_read(1, dir.path()), 0);
    EXPECT_EQ(file_open_read(1, ""), 0);

    // A failed open leaves the slot closed, also when it held a file.
    write_bytes(dir.file("a"), "one\r\ntwo\r\n");
    ASSERT_NE(file_open_read(1, dir.file("a")), 0);
    EXPECT_EQ(file_open_read(1, dir.file("missing")), 0);
    EXPECT_NE(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "");

    // Reopening starts from the top; slots read independently.
    write_bytes(dir.file("b"), "x\ny\n");
    ASSERT_NE(file_open_read(1, dir.file("a")), 0);
    EXPECT_EQ(file_read_line(1), "one");
    ASSERT_NE(file_open_read(1, dir.file("a")), 0);
    ASSERT_NE(file_open_read(0, dir.file("b")), 0);
    ASSERT_NE(file_open_read(3, dir.file("a")), 0);
    EXPECT_EQ(file_read_line(1), "one");
    EXPECT_EQ(file_read_line(0), "x");
    EXPECT_EQ(file_read_line(3), "one");
    EXPECT_EQ(file_read_line(1), "two");
    EXPECT_EQ(file_read_line(0), "y");
    EXPECT_NE(file_at_end(0), 0);
    EXPECT_EQ(file_at_end(3), 0);
    // Writing to a reading slot is not possible.
    EXPECT_EQ(file_write_line(1, "z"), 0);
    EXPECT_NE(file_close(1), 0);
    EXPECT_EQ(read_bytes(dir.file("a")), "one\r\ntwo\r\n");
}

TEST_F(FileSlots, WrittenLinesEndInCrLf) {
    const std::string path = dir.file("out");
    ASSERT_NE(file_create(2, path), 0);
    EXPECT_EQ(file_write_line(2, ""), 2);
    EXPECT_EQ(file_write_line(2, "abc"), 5);
    EXPECT_EQ(file_write_line(2, "tab\there \xE4\xDF"), 13);
    EXPECT_EQ(file_write_line(2, "a\nb"), 5);
    // Nothing is read from a writing slot.
    EXPECT_NE(file_at_end(2), 0);
    EXPECT_EQ(file_read_line(2), "");
    EXPECT_NE(file_close(2), 0);
    EXPECT_EQ(read_bytes(path), "\r\nabc\r\ntab\there \xE4\xDF\r\na\nb\r\n");
    // Closing again does nothing; writing to the closed slot neither.
    EXPECT_NE(file_close(2), 0);
    EXPECT_EQ(file_write_line(2, "late"), 0);
    EXPECT_EQ(read_bytes(path), "\r\nabc\r\ntab\there \xE4\xDF\r\na\nb\r\n");
}

TEST_F(FileSlots, WritesGoThroughTheBufferInTwoPieces) {
    const std::string path = dir.file("out");
    std::string expected;
    auto write = [&](const std::string& text) {
        EXPECT_EQ(file_write_line(2, text), static_cast<int>(text.size() + 2));
        expected += text + "\r\n";
    };
    ASSERT_NE(file_create(2, path), 0);
    // 4094 bytes and CR LF fill the buffer exactly; nothing is on disk yet.
    write(std::string(4094, 'a'));
    EXPECT_EQ(size_on_disk(path), 0);
    // The next piece does not fit: the full buffer goes out first.
    write("b");
    EXPECT_EQ(size_on_disk(path), 4096);
    // 4095 bytes do not fit beside "b\r\n": flush, then into the buffer; its
    // CR LF no longer fits the one free byte: flush again.
    write(std::string(4095, 'c'));
    EXPECT_EQ(size_on_disk(path), 4096 + 3 + 4095);
    // A piece of 4096 bytes or more goes to the file directly.
    write(std::string(4096, 'd'));
    EXPECT_EQ(size_on_disk(path), 4096 + 3 + 4095 + 2 + 4096);
    write(std::string(10000, 'e'));
    EXPECT_EQ(size_on_disk(path), 4096 + 3 + 4095 + 2 + 4096 + 2 + 10000);
    for (int i = 0; i < 5000; ++i) write(std::string(static_cast<std::size_t>(i % 37), 'f'));
    EXPECT_NE(file_close(2), 0);
    EXPECT_TRUE(read_bytes(path) == expected);
}

TEST_F(FileSlots, CreateTruncatesAndFailsQuietly) {
    const std::string path = dir.file("old");
    write_bytes(path, "previous content\r\n");
    ASSERT_NE(file_create(2, path), 0);
    EXPECT_EQ(size_on_disk(path), 0);
    file_write_line(2, "new");
    EXPECT_NE(file_close(2), 0);
    EXPECT_EQ(read_bytes(path), "new\r\n");

    EXPECT_EQ(file_create(2, dir.file("nofolder/x")), 0);
    EXPECT_EQ(file_create(2, dir.path()), 0);
    // Writes to the slot of a failed create do nothing.
    EXPECT_EQ(file_write_line(2, "lost"), 0);
    EXPECT_NE(file_close(2), 0);

    // A new file gets 0666 less the umask.
    mode_t old_mask = ::umask(022);
    ASSERT_NE(file_create(2, dir.file("fresh")), 0);
    file_close(2);
    ::umask(old_mask);
    EXPECT_EQ(mode_of(dir.file("fresh")), 0644u);

    // file_create follows a symbolic link and empties its target.
    write_bytes(dir.file("target"), "data");
    ASSERT_EQ(::symlink("target", dir.file("link").c_str()), 0);
    ASSERT_NE(file_create(2, dir.file("link")), 0);
    file_write_line(2, "via link");
    file_close(2);
    EXPECT_EQ(read_bytes(dir.file("target")), "via link\r\n");
}

TEST_F(FileSlots, ReopeningASlotWritesItsPendingLinesFirst) {
    ASSERT_NE(file_create(2, dir.file("first")), 0);
    file_write_line(2, "kept");
    ASSERT_NE(file_create(2, dir.file("second")), 0);
    EXPECT_EQ(read_bytes(dir.file("first")), "kept\r\n");
    file_write_line(2, "two");
    write_bytes(dir.file("r"), "r\n");
    ASSERT_NE(file_open_read(2, dir.file("r")), 0);
    EXPECT_EQ(read_bytes(dir.file("second")), "two\r\n");
    EXPECT_EQ(file_read_line(2), "r");

    ASSERT_NE(file_create(2, dir.file("third")), 0);
    file_write_line(2, "at the end");
    file_close_all();
    EXPECT_EQ(read_bytes(dir.file("third")), "at the end\r\n");
    EXPECT_NE(file_at_end(2), 0);
}

TEST_F(FileSlots, PrivateCreateMakesUserOnlyFilesAndRefusesLinks) {
    mode_t old_mask = ::umask(0);
    ASSERT_NE(file_create_private(2, dir.file("TELVOR.DAT")), 0);
    file_write_line(2, "x");
    EXPECT_NE(file_close(2), 0);
    ::umask(old_mask);
    EXPECT_EQ(mode_of(dir.file("TELVOR.DAT")), 0600u);
    EXPECT_EQ(read_bytes(dir.file("TELVOR.DAT")), "x\r\n");

    // An existing file is emptied and made private.
    write_bytes(dir.file("TELVOR.CLP"), "old");
    ASSERT_EQ(::chmod(dir.file("TELVOR.CLP").c_str(), 0666), 0);
    ASSERT_NE(file_create_private(2, dir.file("TELVOR.CLP")), 0);
    EXPECT_EQ(size_on_disk(dir.file("TELVOR.CLP")), 0);
    EXPECT_EQ(mode_of(dir.file("TELVOR.CLP")), 0600u);
    file_close(2);

    // A planted link is not followed: the create fails, the target stays.
    write_bytes(dir.file("victim"), "precious");
    ASSERT_EQ(::chmod(dir.file("victim").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(dir.file("victim").c_str(), dir.file("planted").c_str()), 0);
    EXPECT_EQ(file_create_private(2, dir.file("planted")), 0);
    EXPECT_EQ(file_write_line(2, "evil"), 0);
    file_close(2);
    EXPECT_EQ(read_bytes(dir.file("victim")), "precious");
    EXPECT_EQ(mode_of(dir.file("victim")), 0644u);

    // Also a dangling link: nothing comes into being at its target.
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling").c_str()), 0);
    EXPECT_EQ(file_create_private(2, dir.file("dangling")), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.file("nowhere")));

    // Only plain files serve as working files.
    EXPECT_EQ(file_create_private(2, dir.path()), 0);
    if (file_exists_on_disk("/dev/full")) {
        EXPECT_EQ(file_create_private(2, "/dev/full"), 0);
    }
}

TEST_F(FileSlots, AFileOpenInOneSlotIsNotEmptiedOrDeletedThroughAnother) {
    const std::string path = dir.file("event.telvor");
    write_bytes(path, "line 1\r\nline 2\r\n");
    ASSERT_NE(file_open_read(1, path), 0);
    EXPECT_EQ(file_read_line(1), "line 1");
    EXPECT_EQ(file_create(2, path), 0);
    EXPECT_EQ(file_create_private(2, path), 0);
    ASSERT_EQ(::symlink(path.c_str(), dir.file("alias").c_str()), 0);
    EXPECT_EQ(file_create(2, dir.file("alias")), 0);
    EXPECT_EQ(file_delete(path), 0);
    // The link itself is another file and may go.
    EXPECT_NE(file_delete(dir.file("alias")), 0);
    // Readers share the file.
    ASSERT_NE(file_open_read(0, path), 0);
    EXPECT_EQ(file_read_line(0), "line 1");
    EXPECT_EQ(file_read_line(1), "line 2");
    file_close(0);
    file_close(1);
    EXPECT_EQ(read_bytes(path), "line 1\r\nline 2\r\n");

    // A file being written is not read through another slot.
    ASSERT_NE(file_create(2, path), 0);
    EXPECT_EQ(file_open_read(1, path), 0);
    file_close(2);
    EXPECT_NE(file_open_read(1, path), 0);
    file_close(1);
    EXPECT_NE(file_delete(path), 0);
    EXPECT_FALSE(file_exists_on_disk(path));
    EXPECT_EQ(file_delete(path), 0);
}

TEST_F(FileSlots, ContentsAreBytesAndPathsAreConverted) {
    // "Grüße.telvor" in Windows-1252 names the UTF-8 file on disk.
    const Text path = dir.path() + "Gr\xFC\xDF" "e.telvor";
    ASSERT_NE(file_create(2, path), 0);
    file_write_line(2, "\xE4\x80\xFF");
    file_close(2);
    EXPECT_EQ(read_bytes(dir.path() + "Gr\xC3\xBC\xC3\x9F" "e.telvor"), "\xE4\x80\xFF\r\n");
    ASSERT_NE(file_open_read(1, path), 0);
    EXPECT_EQ(file_read_line(1), "\xE4\x80\xFF");
    file_close(1);
    EXPECT_NE(file_delete(path), 0);
    EXPECT_FALSE(file_exists_on_disk(dir.path() + "Gr\xC3\xBC\xC3\x9F" "e.telvor"));
}

// The file-size limit is real only in a child process; file_close must
// report the failed writes, whether buffered or written directly.
TEST_F(FileSlots, WritePastTheFileSizeLimitIsReportedByClose) {
    const std::string path = dir.file("limited");
    auto write_under_limit = [&](std::size_t line_length, int lines) {
        return exit_code_of_child([&] {
            char name[] = "telvor";
            char* argv[] = {name, nullptr};
            program_start(1, argv);
            struct rlimit limit = {10000, 10000};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
            if (file_create(2, path) == 0) return 4;
            for (int i = 0; i < lines; ++i) file_write_line(2, std::string(line_length, 'x'));
            return file_close(2) == 0 ? 0 : 1;
        });
    };
    EXPECT_EQ(write_under_limit(100, 90), 1);  // 9180 bytes fit
    EXPECT_EQ(size_on_disk(path), 9180);
    EXPECT_EQ(write_under_limit(100, 200), 0);
    EXPECT_EQ(size_on_disk(path), 10000);
    EXPECT_EQ(write_under_limit(30000, 1), 0);  // one direct write, cut short
    EXPECT_EQ(write_under_limit(9999, 1), 0);   // only the CR LF fails
}

TEST_F(FileSlots, FullDiskIsReportedByClose) {
    if (!file_exists_on_disk("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_NE(file_create(2, "/dev/full"), 0);
    EXPECT_EQ(file_write_line(2, "x"), 3);
    EXPECT_EQ(file_close(2), 0);
    ASSERT_NE(file_create(2, "/dev/full"), 0);
    EXPECT_EQ(file_write_line(2, std::string(5000, 'x')), 5002);
    EXPECT_EQ(file_close(2), 0);
    // Nothing written, nothing failed.
    ASSERT_NE(file_create(2, "/dev/full"), 0);
    EXPECT_NE(file_close(2), 0);
}

}  // namespace

TEST(FileReadError, CountsAsTheEndAndIsReportedByClose) {
    // Reading this process's memory from address 0 fails with an I/O error.
    ASSERT_NE(file_open_read(1, "/proc/self/mem"), 0);
    EXPECT_NE(file_at_end(1), 0);
    EXPECT_EQ(file_read_line(1), "");
    EXPECT_EQ(file_close(1), 0);

    ScratchDir dir;
    write_bytes(dir.file("ok.txt"), "a\r\nb");
    ASSERT_NE(file_open_read(1, dir.file("ok.txt")), 0);
    while (!file_at_end(1)) file_read_line(1);
    EXPECT_NE(file_close(1), 0);
}
