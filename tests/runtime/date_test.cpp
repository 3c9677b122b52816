#include "runtime/date.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const DateValue kExample = date_from_parts(2026, 12, 5, 9, 4, 7);

TEST(DateFromParts, KnownValues) {
    EXPECT_EQ(date_from_parts(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(date_from_parts(1970, 1, 2, 0, 0, 0), 86400);
    EXPECT_EQ(date_from_parts(2000, 2, 29, 0, 0, 0), 951782400);
    EXPECT_EQ(date_from_parts(2038, 1, 19, 3, 14, 7), 2147483647);
    EXPECT_EQ(date_from_parts(2038, 1, 19, 3, 14, 8), 2147483648LL);  // no 32-bit wrap
    EXPECT_EQ(date_from_parts(2106, 2, 7, 6, 28, 16), 4294967296LL);
    EXPECT_EQ(date_from_parts(1969, 12, 31, 23, 59, 59), -1);
    EXPECT_EQ(kExample, 1796461447);
}

TEST(DateFromParts, LeapYears) {
    auto day_length = [](int y, int m, int d) {
        return date_from_parts(y, m, d + 1, 0, 0, 0) - date_from_parts(y, m, d, 0, 0, 0);
    };
    auto year_days = [](int y) {
        return (date_from_parts(y + 1, 1, 1, 0, 0, 0) - date_from_parts(y, 1, 1, 0, 0, 0)) / 86400;
    };
    EXPECT_EQ(year_days(2000), 366);  // divisible by 400
    EXPECT_EQ(year_days(2024), 366);
    EXPECT_EQ(year_days(2026), 365);
    EXPECT_EQ(year_days(2100), 365);  // divisible by 100 only
    EXPECT_EQ(year_days(1900), 365);
    EXPECT_EQ(day_length(2000, 2, 29), 86400);
    EXPECT_EQ(date_from_parts(2000, 3, 1, 0, 0, 0) - date_from_parts(2000, 2, 28, 0, 0, 0), 2 * 86400);
    EXPECT_EQ(date_from_parts(2100, 3, 1, 0, 0, 0) - date_from_parts(2100, 2, 28, 0, 0, 0), 86400);
}

TEST(DateFromParts, FieldsCarryOver) {
    EXPECT_EQ(date_from_parts(2026, 13, 1, 0, 0, 0), date_from_parts(2027, 1, 1, 0, 0, 0));
    EXPECT_EQ(date_from_parts(2026, 0, 1, 0, 0, 0), date_from_parts(2025, 12, 1, 0, 0, 0));
    EXPECT_EQ(date_from_parts(2026, 3, 0, 0, 0, 0), date_from_parts(2026, 2, 28, 0, 0, 0));
    EXPECT_EQ(date_from_parts(2026, 1, 1, 24, 0, 0), date_from_parts(2026, 1, 2, 0, 0, 0));
}

TEST(DateFormat, ExampleMasks) {
    EXPECT_EQ(date_format("%yyyy-%mm-%dd %hh:%ii:%ss", kExample), "2026-12-05 09:04:07");
    EXPECT_EQ(date_format("%dd.%mm.%yy", kExample), "05.12.26");
    EXPECT_EQ(date_format("%hh:%ii", kExample), "09:04");
    EXPECT_EQ(date_format("%DD.%MM.%YYYY", kExample), "05.12.2026");
    EXPECT_EQ(date_format("%Yy%yY%Ii%sS", kExample), "26260407");
    EXPECT_EQ(date_format("", kExample), "");
    EXPECT_EQ(date_format("Erstellt am", kExample), "Erstellt am");
}

TEST(DateFormat, PercentWithoutToken) {
    EXPECT_EQ(date_format("100% %x", kExample), "100% %x");
    EXPECT_EQ(date_format("%%dd", kExample), "%05");
    EXPECT_EQ(date_format("%", kExample), "%");
    EXPECT_EQ(date_format("%%", kExample), "%%");
    EXPECT_EQ(date_format("%d", kExample), "%d");       // a token cut off by the end
    EXPECT_EQ(date_format("%yyy", kExample), "26y");    // "yyyy" fails, "yy" matches
    EXPECT_EQ(date_format("%yyyyy", kExample), "2026y");
    EXPECT_EQ(date_format("%mi", kExample), "%mi");
    EXPECT_EQ(date_format("\xE4%dd", kExample), "\xE4" "05");
}

TEST(DateFormat, NoLengthLimit) {
    Text mask;
    Text want;
    for (int k = 0; k < 2000; ++k) {
        mask += "%ss|";
        want += "07|";
    }
    EXPECT_EQ(date_format(mask, kExample), want);
}

TEST(DateFormat, MidnightAndRollOver) {
    const char* full = "%yyyy-%mm-%dd %hh:%ii:%ss";
    EXPECT_EQ(date_format("%hh:%ii:%ss", date_from_parts(2026, 12, 5, 0, 0, 0)), "00:00:00");
    EXPECT_EQ(date_format(full, date_from_parts(2026, 12, 31, 23, 59, 59) + 1), "2027-01-01 00:00:00");
    EXPECT_EQ(date_format(full, date_from_parts(2000, 2, 28, 23, 59, 59) + 1), "2000-02-29 00:00:00");
    EXPECT_EQ(date_format(full, date_from_parts(2100, 2, 28, 23, 59, 59) + 1), "2100-03-01 00:00:00");
    EXPECT_EQ(date_format(full, 0), "1970-01-01 00:00:00");
    EXPECT_EQ(date_format(full, -1), "1969-12-31 23:59:59");
}

TEST(DateFormat, AfterTwentyThirtyEight) {
    EXPECT_EQ(date_format("%yyyy-%mm-%dd %hh:%ii:%ss", 2147483648LL), "2038-01-19 03:14:08");
    EXPECT_EQ(date_format("%dd.%mm.%yy %hh:%ii", date_from_parts(2040, 6, 15, 20, 30, 0)), "15.06.40 20:30");
    EXPECT_EQ(date_format("%yyyy-%mm-%dd", date_from_parts(9999, 12, 31, 23, 59, 59)), "9999-12-31");
    EXPECT_EQ(date_format("%yyyy %yy", date_from_parts(10000, 1, 1, 0, 0, 0)), "10000 00");
}

// Every day from 1900 to 2500 against a calendar walked one day at a time.
TEST(DateFormat, AgreesWithDayByDayCalendar) {
    auto is_leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DateValue value = date_from_parts(1900, 1, 1, 12, 0, 0);
    int y = 1900, m = 1, d = 1;
    while (y <= 2500) {
        char want[32];
        std::snprintf(want, sizeof want, "%04d-%02d-%02d 12", y, m, d);
        ASSERT_EQ(date_format("%yyyy-%mm-%dd %hh", value), want);
        ASSERT_EQ(date_from_parts(y, m, d, 12, 0, 0), value);
        value += 86400;
        int length = month_days[m - 1] + (m == 2 && is_leap(y) ? 1 : 0);
        if (++d > length) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
}

}  // namespace
