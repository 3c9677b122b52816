// The calendar behind Date values and their mask.
#include "base/date.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Every day from 1900 to 2110 (past the 32-bit end in 2038), each at another
// time of day, against a calendar walked one day at a time.
TEST(Date, AgreesWithDayByDayCalendar) {
    const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DateValue midnight = -2208988800LL;  // 1900-01-01 00:00:00
    for (int y = 1900, m = 1, d = 1, n = 0; y <= 2110; ++n, midnight += 86400) {
        const int second = n * 3607 % 86400, hh = second / 3600, ii = second / 60 % 60, ss = second % 60;
        char want[64];
        std::snprintf(want, sizeof want, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, hh, ii, ss);
        ASSERT_EQ(date_format("%yyyy-%mm-%dd %hh:%ii:%ss", midnight + second), want);
        ASSERT_EQ(date_from_parts(y, m, d, hh, ii, ss), midnight + second) << want;
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        if (++d > month_days[m - 1] + (m == 2 && leap)) d = 1, m = m % 12 + 1, y += (m == 1);
    }
}

}  // namespace
