// The process's own arguments on Windows, from its UTF-16 command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/child_process_win32.h"
#include "sys/os.h"
#include "sys/win32/win32_io.h"

namespace {

using telvor_win32::wide;

// "Łódź" and "😀 März.telvor": a character Windows-1252 lacks, one beyond 16 bits.
TEST(Win32CommandLine, ParametersOfTheProcessComeFromItsCommandLine) {
    wchar_t expected[1024];
    if (::GetEnvironmentVariableW(L"TELVOR_CHILD_PARAMETERS", expected, 1024) > 0) {
        const std::vector<std::string> arguments = os::process_arguments(__argc, __argv);
        std::string got;
        for (std::size_t i = 0; i < arguments.size() || i < 4; ++i)
            got += "[" + (i < arguments.size() ? arguments[i] : std::string()) + "]";
        EXPECT_EQ(got, telvor_win32::native_of(std::wstring(expected)));
        return;
    }
    const std::string filter = "--gtest_filter=Win32CommandLine.*FromItsCommandLine";
    const std::string name = "\xC5\x81\xC3\xB3\x64\xC5\xBA \xF0\x9F\x98\x80 M\xC3\xA4rz.telvor";
    const std::string want = "[" + filter + "][" + name + "][][a\"b][tab\there]";
    const HANDLE child = start_child(wide(filter + " \"" + name + "\" \"\"  a\"b tab\there"),
                                     L"TELVOR_CHILD_PARAMETERS", wide(want));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(exit_code_of(child), 0u);
}

}  // namespace
