// The file layer on Windows: sharing modes, replacement, names outside Windows-1252, folder locks
// between processes.
#include "fs/file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/folders.h"
#include "fs/replace.h"
#include "support/child_process_win32.h"
#include "support/test_support.h"
#include "sys/os.h"
#include "sys/win32/win32_io.h"

namespace {

namespace fs = std::filesystem;
using telvor_win32::wide;

// "Łódź" and "😀 März.telvor": a character Windows-1252 lacks, one beyond 16 bits.
const std::string FOLDER = "\xC5\x81\xC3\xB3\x64\xC5\xBA", EMOJI_NAME = "\xF0\x9F\x98\x80 M\xC3\xA4rz.telvor";

HANDLE open_with(const std::string& path, DWORD access, DWORD share) {
    return ::CreateFileW(wide(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}
bool others_may_open(const std::string& path, DWORD access) {
    const HANDLE h = open_with(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    return h != INVALID_HANDLE_VALUE && ::CloseHandle(h);
}
bool set_attributes(const std::string& path, DWORD attributes) {
    return ::SetFileAttributesW(wide(path).c_str(), attributes);
}

class Win32Files : public ::testing::Test {
protected:
    void TearDown() override { file_close_all(), folder_locks_release(); }
    Path at(const std::string& name) const { return Path{dir.file(name)}; }
    FileResult replace(const std::string& target) const { return file_replace(at("TELVOR.DAT"), Path{target}); }
    ScratchDir dir;
};

// A file written in a slot is opened nowhere else, one read in a slot only read.
TEST_F(Win32Files, SharingModesKeepTheSlotsFilesApart) {
    ASSERT_TRUE(file_create(2, at("w")));
    EXPECT_FALSE(file_open_read(1, at("w")));
    EXPECT_FALSE(others_may_open(dir.file("w"), GENERIC_READ));
    EXPECT_TRUE(file_close(2));
    write_bytes(dir.file("r"), "old\r\n");
    ASSERT_TRUE(file_open_read(1, at("r")));
    ASSERT_TRUE(file_open_read(0, at("r")));
    EXPECT_TRUE(others_may_open(dir.file("r"), GENERIC_READ));
    EXPECT_FALSE(others_may_open(dir.file("r"), GENERIC_WRITE));
    EXPECT_FALSE(file_create_working(2, at("r")));
}

// The new content keeps the old file's attributes. Refused, the working file kept: a target held
// without sharing deletion, a working file written elsewhere. A read-only file under a working
// file's name goes.
TEST_F(Win32Files, ReplaceKeepsAttributesAndRefusesHeldFiles) {
    const std::string target = dir.file("event.telvor");
    write_bytes(target, "old\r\n");
    ASSERT_TRUE(set_attributes(target, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    write_bytes(dir.file("TELVOR.DAT"), "new\r\n");
    ASSERT_TRUE(replace(target));
    EXPECT_EQ(read_bytes(target), "new\r\n");
    EXPECT_TRUE(::GetFileAttributesW(wide(target).c_str()) & FILE_ATTRIBUTE_HIDDEN);

    write_bytes(dir.file("TELVOR.DAT"), "newer\r\n");
    HANDLE holder = open_with(target, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(replace(target));
    ::CloseHandle(holder);
    holder = open_with(dir.file("TELVOR.DAT"), GENERIC_WRITE, 0);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const FileResult held = replace(target);
    ASSERT_FALSE(held);
    EXPECT_EQ(held.failure().path, dir.file("TELVOR.DAT"));
    ::CloseHandle(holder);
    EXPECT_EQ(read_bytes(target), "new\r\n");
    EXPECT_EQ(read_bytes(dir.file("TELVOR.DAT")), "newer\r\n");
    ASSERT_TRUE(set_attributes(dir.file("TELVOR.DAT"), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(file_create_working(2, at("TELVOR.DAT")));
    EXPECT_TRUE(file_close(2));
    EXPECT_EQ(read_bytes(dir.file("TELVOR.DAT")), "");
}

// Names outside Windows-1252 work as any other, the current directory too.
TEST_F(Win32Files, NamesOutsideWindows1252) {
    const std::string folder = dir.file(FOLDER), file = folder + "\\" + EMOJI_NAME;
    ASSERT_TRUE(::CreateDirectoryW(wide(folder).c_str(), nullptr));
    ASSERT_TRUE(file_create_working(2, Path{folder + "\\TELVOR.DAT"}));
    file_write_line(2, "zwei");
    EXPECT_TRUE(file_close(2));
    EXPECT_TRUE(file_replace(Path{folder + "\\TELVOR.DAT"}, Path{file}));
    EXPECT_TRUE(fs::exists(fs::path(wide(file))));
    Path saved, now;
    ASSERT_TRUE(directory_get_current(saved));
    ASSERT_TRUE(directory_set_current(Path{folder}));
    EXPECT_TRUE(directory_get_current(now));
    EXPECT_EQ(now.native, folder);
    EXPECT_NE(file_entry_exists(Path{EMOJI_NAME}), 0);
    ASSERT_TRUE(directory_set_current(saved));
}

// A folder claimed by another process is busy, by any path, until that process ends, even killed.
TEST_F(Win32Files, FolderLockExcludesOtherProcessesUntilTheyEnd) {
    if (const char* folder = std::getenv("TELVOR_CHILD_LOCK")) {
        ASSERT_EQ(folder_lock(Path{folder}).claim, Claim::claimed);
        ::SetEvent(::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"TELVOR-test-claimed"));
        ::Sleep(60000);
        return;
    }
    const HANDLE claimed = ::CreateEventW(nullptr, TRUE, FALSE, L"TELVOR-test-claimed");
    write_bytes(dir.file("e.telvor"), "");
    const HANDLE child = start_child(L"--gtest_filter=Win32Files.FolderLock*", L"TELVOR_CHILD_LOCK", wide(dir.path()));
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(::WaitForSingleObject(claimed, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(folder_lock(Path{dir.path()}).claim, Claim::busy);
    const std::string name = fs::path(dir.path()).parent_path().filename().string();
    EXPECT_EQ(folder_lock_of_file(Path{dir.path() + "..\\" + name + "\\e.telvor"}).claim, Claim::busy);
    ::TerminateProcess(child, 9);
    EXPECT_EQ(exit_code_of(child), 9u);
    EXPECT_EQ(folder_lock(Path{dir.path()}).claim, Claim::claimed);
    ::CloseHandle(claimed);
}

}  // namespace
