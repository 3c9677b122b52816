// date_now against the POSIX clock under time zones with and without
// daylight-saving time.
#include <stdlib.h>
#include <time.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "runtime/date.h"

namespace {

// Sets TZ for the life of the object and restores the previous value.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = getenv("TZ")) saved_ = std::string(old);
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (saved_) setenv("TZ", saved_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    std::optional<std::string> saved_;
};

// The Date value minus the seconds since the epoch in UTC, i.e. the zone's
// offset as it is in force now; the clock read is bracketed by two reads of
// time() so a second boundary in between cannot make the test flaky.
void expect_offset(long long offset_seconds) {
    time_t before = time(nullptr);
    DateValue now = date_now();
    time_t after = time(nullptr);
    EXPECT_GE(now - offset_seconds, static_cast<long long>(before));
    EXPECT_LE(now - offset_seconds, static_cast<long long>(after));
}

TEST(DateNow, UtcZoneGivesSecondsSinceEpoch) {
    ZoneScope zone("UTC0");
    expect_offset(0);
}

TEST(DateNow, WallClockOfStandardTime) {
    ZoneScope zone("XST-1");
    expect_offset(3600);
}

// A zone whose daylight-saving time lasts the whole year: the value is the
// wall-clock time, daylight-saving hour included, with no shift taken off.
TEST(DateNow, WallClockOfDaylightSavingTime) {
    ZoneScope zone("XST-1XDT-2,0/0,J365/25");
    time_t probe = time(nullptr);
    struct tm local {};
    ASSERT_NE(localtime_r(&probe, &local), nullptr);
    ASSERT_GT(local.tm_isdst, 0) << "the test zone should be in daylight-saving time";
    expect_offset(7200);
}

// In a zone with a real switch-over, whatever the season, date_now is the
// local broken-down time read back through date_from_parts.
TEST(DateNow, MatchesLocalFieldsInZoneWithDst) {
    ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    for (int attempt = 0; attempt < 3; ++attempt) {
        time_t before = time(nullptr);
        DateValue now = date_now();
        time_t after = time(nullptr);
        if (before != after) continue;  // crossed a second: read again
        struct tm local {};
        ASSERT_NE(localtime_r(&before, &local), nullptr);
        EXPECT_EQ(now, date_from_parts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                       local.tm_hour, local.tm_min, local.tm_sec));
        return;
    }
    FAIL() << "the clock never held still for one read";
}

}  // namespace
