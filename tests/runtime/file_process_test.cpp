// Command-line parameters and the current directory.
#include "runtime/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// Restores the process's current directory when a test is done with it.
class CurrentDirectory : public ::testing::Test {
protected:
    void TearDown() override { fs::current_path(saved_); }
    fs::path saved_ = fs::current_path();
    ScratchDir dir;
};

TEST(ProgramParameter, ArgumentsAfterTheProgramPathInWindows1252) {
    std::string program = "/usr/bin/telvor";
    std::string first = "/home/anna/Sendungen M\xC3\xA4rz \xE2\x82\xAC.telvor";  // ä, €
    std::string empty;
    std::string third = "\xC3\xBC\xF0\x9F\x98\x80";  // ü and a character outside the code page
    char* argv[] = {program.data(), first.data(), empty.data(), third.data(), nullptr};
    program_start(4, argv);
    EXPECT_EQ(program_parameter(0), "/home/anna/Sendungen M\xE4rz \x80.telvor");
    EXPECT_EQ(program_parameter(1), "");
    EXPECT_EQ(program_parameter(2), "\xFC?");
    EXPECT_EQ(program_parameter(3), "");
    EXPECT_EQ(program_parameter(-1), "");
    // The arguments are kept, not their storage.
    first.assign("changed");
    EXPECT_EQ(program_parameter(0), "/home/anna/Sendungen M\xE4rz \x80.telvor");

    char* only_program[] = {program.data(), nullptr};
    program_start(1, only_program);
    EXPECT_EQ(program_parameter(0), "");
}

TEST_F(CurrentDirectory, SetAndGetWithConvertedNames) {
    EXPECT_EQ(directory_separator(), "/");
    const std::string base = fs::canonical(dir.path()).string();
    fs::create_directory(base + "/Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_NE(directory_set_current(base + "/Gr\xFC\xDF" "e"), 0);
    EXPECT_EQ(directory_get_current(), base + "/Gr\xFC\xDF" "e");
    // A trailing separator is accepted, as the Program directory has one.
    EXPECT_NE(directory_set_current(base + "/"), 0);
    EXPECT_EQ(directory_get_current(), base);
    EXPECT_EQ(directory_set_current(base + "/missing"), 0);
    EXPECT_EQ(directory_set_current(""), 0);
    EXPECT_EQ(directory_get_current(), base);

    // Relative paths count from the current directory.
    write_bytes(base + "/rel.txt", "r\n");
    ASSERT_NE(file_open_read(0, "rel.txt"), 0);
    EXPECT_EQ(file_read_line(0), "r");
    file_close(0);
}

// Longer than any fixed buffer of one page: built, entered and removed
// step by step, as no single path to it may be passed to the system.
TEST_F(CurrentDirectory, VeryLongDirectoryIsReturnedWhole) {
    const int levels = 40;
    auto name = [](int level) { return std::string(120, static_cast<char>('a' + level % 26)); };
    std::string deep = fs::canonical(dir.path()).string();
    fs::current_path(deep);
    for (int level = 0; level < levels; ++level) {
        fs::create_directory(name(level));
        ASSERT_NE(directory_set_current(name(level)), 0) << level;
        deep += "/" + name(level);
    }
    ASSERT_GT(deep.size(), 4096u);
    EXPECT_TRUE(directory_get_current() == deep);
    for (int level = levels - 1; level >= 0; --level) {
        fs::current_path("..");
        fs::remove(name(level));
    }
}

}  // namespace
