// What the program asks the system beyond files: the clock, the documents folder.
#include "sys/os.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>
#include <string>

#include "sys/clock.h"
#include "sys/launch_services.h"

namespace {

// A leap second stays in its minute; a system that names no documents folder gives none.
TEST(SystemLookups, LeapSecondAndNoDocumentsFolder) {
    os::calls().local_time = [](os::LocalTime& now) {
        now = {2016, 12, 31, 23, 59, 60};
        return true;
    };
    os::calls().user_folder = [](std::string&) {
        os::set_system_error(os::error_code(os::Error::missing));
        return false;
    };
    const DateValue now = date_now();
    const Path documents = user_documents_folder();
    os::calls() = os::SYSTEM_CALLS;
    EXPECT_EQ(date_format("%yyyy-%mm-%dd %hh:%ii:%ss", now), "2016-12-31 23:59:59");
    EXPECT_TRUE(documents.empty());
}

#ifndef _WIN32  // TZ rules as POSIX writes them; the Windows clock: the whole-run header test
// The wall-clock time, daylight-saving hour included.
TEST(SystemLookups, NowIsTheLocalWallClock) {
    const std::string saved = getenv("TZ") ? getenv("TZ") : "";
    setenv("TZ", "XST-1XDT-2,0/0,J365/25", 1);  // daylight-saving time (UTC+2) all year
    tzset();
    const time_t before = time(nullptr);
    const DateValue now = date_now() - 7200;
    const time_t after = time(nullptr);
    saved.empty() ? unsetenv("TZ") : setenv("TZ", saved.c_str(), 1);
    tzset();
    EXPECT_TRUE(before <= now && now <= after) << now;
}
#endif

}  // namespace
