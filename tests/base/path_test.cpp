// The one path vocabulary, and a path as it is shown.
#include "base/path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A root keeps its separator, a bare name lies in "."; on Windows "C:" too. Shown, every character
// Windows-1252 lacks and every byte outside UTF-8 is "?".
TEST(Path, ParentNameJoinAbsoluteAndDisplay) {
    const std::string s = PATH_SEPARATOR;
    EXPECT_EQ(path_parent(s + "a"), s);
    EXPECT_EQ(path_parent("a"), ".");
    EXPECT_EQ(path_name("x" + s + s + "a"), "a");
    EXPECT_EQ(path_parent("C:\\a"), WINDOWS_NAMES ? "C:\\" : ".");
    EXPECT_EQ(path_join("C:", "a"), WINDOWS_NAMES ? "C:a" : "C:" + s + "a");
    EXPECT_FALSE(path_is_absolute("C:a"));
    EXPECT_EQ(path_display(Path{"/\xC5\x81\xC3\xB3" "d\xC5\xBA/M\xC3\xA4rz \xF0\x9F\x98\x80\xE4"}), "/?\xF3" "d?/M\xE4rz ??");
}

}  // namespace
