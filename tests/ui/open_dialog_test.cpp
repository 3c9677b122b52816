// What the open-file dialog of either platform begins with.
#include <gtest/gtest.h>

#include "ui/open_dialog.h"

namespace {

TEST(OpenDialog, FolderAndPresetNameOfTheDefaultPath) {
    struct Case {
        const char* path;
        bool windows_names;
        const char* folder;
        const char* name;
    };
    for (const Case& c : {Case{"/home/anna/TELVOR/*.telvor", false, "/home/anna/TELVOR", ""},
                          Case{"/week49.telvor", false, "/", "week49.telvor"},
                          Case{"week49.telvor", false, "", "week49.telvor"},
                          Case{"/a/M\xC3\xA4rz.telvor", false, "/a", "M\xC3\xA4rz.telvor"},
                          Case{"/a/x\\y.telvor", false, "/a", ""},
                          Case{"/a/", false, "/a", ""},
                          Case{"C:\\TELVOR\\*.telvor", true, "C:\\TELVOR", ""},
                          Case{"C:\\week49.telvor", true, "C:\\", "week49.telvor"},
                          Case{"C:/TELVOR/a.telvor", true, "C:/TELVOR", "a.telvor"},
                          Case{"\\week49.telvor", true, "\\", "week49.telvor"},
                          Case{"C:week49.telvor", true, "", ""}}) {
        const DialogStart start = dialog_start(Path{c.path}, c.windows_names);
        EXPECT_EQ(start.folder, c.folder) << c.path;
        EXPECT_EQ(start.name, c.name) << c.path;
    }
    for (const char* name : {"a\"b", "a*b", "a:b", "a<b", "a>b", "a?b", "a|b", "a\x1F"})
        EXPECT_FALSE(is_valid_file_name(name)) << name;
}

}  // namespace
