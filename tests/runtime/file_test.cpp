// Line files in File slots, file_copy, and the process services.
#include "runtime/file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<Text>;

auto mode_of(const std::string& path) { return static_cast<int>(fs::status(path).permissions()); }
auto entries(const std::string& folder) { return std::distance(fs::directory_iterator(folder), {}); }

class Files : public ::testing::Test {
protected:
    void TearDown() override { file_close_all(); }
    // The lines as a reading loop sees them; file_at_end must consume nothing.
    Lines lines_of(const std::string& bytes) {
        write_bytes(dir.file("in"), bytes);
        Lines lines;
        EXPECT_NE(file_open_read(1, dir.file("in")), 0);
        while (file_at_end(1) == 0 && file_at_end(1) == 0) lines.push_back(file_read_line(1));
        EXPECT_EQ(file_read_line(1), "");
        EXPECT_NE(file_at_end(1), 0);
        file_close(1);
        return lines;
    }
    ScratchDir dir;
};

TEST_F(Files, LineSplitting) {
    const std::string full(4095, 'a');
    for (auto [bytes, want] : std::initializer_list<std::pair<std::string, Lines>>{
             {"", {}}, {"a\r\n", {"a"}}, {"a\r\n\r\n", {"a", ""}}, {"a\r\r\nb", {"a", "", "b"}},
             {"a\n\rb", {"a", "", "b"}}, {"a\rb", {"a", "b"}}, {"last", {"last"}}, {"a\r", {"a"}},
             {std::string("ab\0cd", 5), {"ab", "cd"}}, {std::string("x\r\0y", 4), {"x", "", "y"}},
             {full + "\r\nb", {full, "b"}}, {full + "\rb", {full, "b"}}, {full + "\r", {full}}})
        EXPECT_EQ(lines_of(bytes), want) << bytes.size();
    const std::string big(10 * 1024 * 1024, 'x');
    EXPECT_TRUE(lines_of("head\r\n" + big + "\r\ntail") == (Lines{"head", big, "tail"}));
}

// Two pieces per line (text, CR LF), each into the 4096-byte buffer if it
// fits, else the buffer goes out first and a piece of 4096 or more directly.
TEST_F(Files, WriteLineEndsInCrLfThroughTheBuffer) {
    const std::string path = dir.file("out"), a(4089, 'a'), d(4096, 'd');
    ASSERT_NE(file_create(2, path), 0);
    EXPECT_EQ(file_write_line(2, ""), 2);
    EXPECT_EQ(file_write_line(2, "abc"), 5);
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(file_write_line(2, a), 4091);  // the text fills the buffer, CR LF does not fit
    EXPECT_EQ(fs::file_size(path), 4096u);
    EXPECT_EQ(file_write_line(2, d), 4098);
    EXPECT_EQ(fs::file_size(path), 4096u + 2 + 4096);
    EXPECT_NE(file_close(2), 0);
    EXPECT_TRUE(read_bytes(path) == "\r\nabc\r\n" + a + "\r\n" + d + "\r\n");
}

TEST_F(Files, SlotsOpenCreateAndFailQuietly) {
    write_bytes(dir.file("a"), "one\r\n");
    for (int slot : {-1, int{FILE_SLOT_COUNT}}) {
        EXPECT_EQ(file_open_read(slot, dir.file("a")) + file_create(slot, dir.file("b")), 0);
        EXPECT_NE(file_at_end(slot), 0);
        EXPECT_EQ(file_read_line(slot), "");
        EXPECT_EQ(file_write_line(slot, "x"), 0);
    }
    EXPECT_FALSE(file_exists_on_disk(dir.file("b")));
    ASSERT_NE(file_open_read(1, dir.file("a")), 0);
    EXPECT_EQ(file_open_read(1, dir.file("missing")), 0);  // leaves the slot closed
    EXPECT_EQ(file_read_line(1), "");
    EXPECT_EQ(file_create(2, dir.file("nofolder/x")), 0);
    EXPECT_EQ(file_write_line(2, "lost"), 0);
    ASSERT_NE(file_create(2, dir.file("a")), 0);  // truncates
    EXPECT_EQ(fs::file_size(dir.file("a")), 0u);
    file_write_line(2, "new");
    ASSERT_NE(file_create(2, dir.file("c")), 0);  // reopening writes the pending line
    EXPECT_EQ(read_bytes(dir.file("a")), "new\r\n");
}

TEST_F(Files, PrivateCreateIsUserOnlyAndRefusesAPlantedLink) {
    const mode_t old_mask = ::umask(0);
    EXPECT_NE(file_create_private(2, dir.file("TELVOR.DAT")), 0);
    ::umask(old_mask);
    EXPECT_EQ(mode_of(dir.file("TELVOR.DAT")), 0600);
    write_bytes(dir.file("victim"), "precious");
    ASSERT_EQ(::symlink(dir.file("victim").c_str(), dir.file("planted").c_str()), 0);
    EXPECT_EQ(file_create_private(2, dir.file("planted")), 0);
    EXPECT_EQ(file_write_line(2, "evil"), 0);
    file_close(2);
    EXPECT_EQ(read_bytes(dir.file("victim")), "precious");
}

TEST_F(Files, WriteAndReadErrorsAreReportedByClose) {
    // A direct write cut short by the file-size limit (real only in a child).
    pid_t pid = ::fork();
    if (pid == 0) {
        char name[] = "telvor", *argv[] = {name, nullptr};
        program_start(1, argv);
        struct rlimit limit = {10000, 10000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || file_create(2, dir.file("big")) == 0) ::_exit(3);
        file_write_line(2, std::string(30000, 'x'));
        ::_exit(file_close(2) == 0 ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(fs::file_size(dir.file("big")), 10000u);
    // A buffered write to a full disk.
    ASSERT_NE(file_create(2, "/dev/full"), 0);
    EXPECT_EQ(file_write_line(2, "x"), 3);
    EXPECT_EQ(file_close(2), 0);
    ASSERT_NE(file_open_read(1, "/proc/self/mem"), 0);  // reading from address 0 fails
    EXPECT_NE(file_at_end(1), 0);
    EXPECT_EQ(file_close(1), 0);
}

TEST_F(Files, CopyReplacesTheTargetAtomicallyUnlessOpenOrProtected) {
    const std::string src = dir.file("TELVOR.DAT"), dst = dir.file("event.telvor"), old = "old 1\r\nold 2\r\n";
    write_bytes(src, "new\r\n");
    write_bytes(dst, old);
    ASSERT_EQ(::chmod(dst.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("event.telvor", dir.file("alias").c_str()), 0);
    ASSERT_NE(file_open_read(1, dst), 0);
    EXPECT_EQ(file_copy(src, dst), 0);
    EXPECT_EQ(file_copy(src, dir.file("alias")), 0);
    EXPECT_EQ(read_bytes(dst), old);
    file_close(1);
    EXPECT_NE(file_copy(src, dir.file("alias")), 0);
    EXPECT_EQ(fs::is_symlink(dir.file("alias")), true);
    EXPECT_EQ(read_bytes(dst), "new\r\n");
    EXPECT_EQ(mode_of(dst), 0640);

    // Write protection holds also for root.
    write_bytes(src, "newer\r\n");
    ASSERT_EQ(::chmod(dst.c_str(), 0444), 0);
    EXPECT_EQ(file_copy(src, dst), 0);
    fs::create_directory(dir.file("locked"));
    write_bytes(dir.file("locked/e"), "kept");
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0555), 0);
    EXPECT_EQ(file_copy(src, dir.file("locked/e")), 0);
    EXPECT_EQ(file_copy(src, dir.file("locked/f")), 0);
    EXPECT_EQ(read_bytes(dst), "new\r\n");
    EXPECT_EQ(read_bytes(dir.file("locked/e")), "kept");
    EXPECT_EQ(entries(dir.file("locked")), 1);  // no temporary file left
    EXPECT_EQ(entries(dir.path()), 4);
}

TEST_F(Files, ParameterIsWindows1252AndLongDirectoryIsWhole) {
    std::string program = "/usr/bin/telvor", first = "/home/M\xC3\xA4rz \xE2\x82\xAC.telvor";
    char* argv[] = {program.data(), first.data(), nullptr};
    program_start(2, argv);
    EXPECT_EQ(program_parameter(0), "/home/M\xE4rz \x80.telvor");
    EXPECT_EQ(program_parameter(1), "");

    const fs::path saved = fs::current_path();
    const std::string part(120, 'd'), deep = fs::canonical(dir.path()).string() + "/" + part + "/" + part + "/" + part;
    fs::create_directories(deep);
    EXPECT_NE(directory_set_current(deep), 0);
    EXPECT_EQ(directory_get_current(), deep);  // longer than 254 bytes
    fs::current_path(saved);
}

}  // namespace
