// The one path vocabulary, and a path as it is shown.
#include "base/path.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// A root keeps its separator, a bare name lies in ".", a join adds one
// separator at most; on Windows "C:" and "/" too. Shown, every character
// Windows-1252 lacks and every byte outside UTF-8 is "?".
TEST(Path, ParentNameJoinAbsoluteAndDisplay) {
    const std::string s = PATH_SEPARATOR;
    using Split = std::tuple<std::string, std::string, std::string>;  // path, parent, name
    std::vector<Split> splits = {{"a", ".", "a"}, {s + "a", s, "a"}, {"x" + s + s + "a", "x", "a"}, {"x" + s, "x", ""},
                                 {s, s, ""}};
    if (WINDOWS_NAMES) splits.insert(splits.end(), {{"C:a", "C:", "a"}, {"C:\\a", "C:\\", "a"}, {"x/a", "x", "a"}});
    for (const auto& [path, parent, name] : splits) {
        EXPECT_EQ(path_parent(path), parent) << path;
        EXPECT_EQ(path_name(path), name) << path;
    }
    EXPECT_EQ(path_join("x" + s, "a"), "x" + s + "a");
    EXPECT_EQ(path_join("", "a"), "a");
    EXPECT_EQ(path_join("C:", "a"), WINDOWS_NAMES ? "C:a" : "C:" + s + "a");
    EXPECT_EQ(path_is_absolute("C:\\a"), WINDOWS_NAMES);
    EXPECT_FALSE(path_is_absolute("C:a"));
    EXPECT_EQ(path_display(Path{"/\xC5\x81\xC3\xB3" "d\xC5\xBA/M\xC3\xA4rz \xF0\x9F\x98\x80\xE4"}), "/?\xF3" "d?/M\xE4rz ??");
}

}  // namespace
