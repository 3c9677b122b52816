// Date values (local wall-clock seconds since 1970, counted as if UTC) and
// the date-mask formatter.
#include "base/date.h"

#include <cstddef>
#include <string>

namespace {

constexpr long long SECONDS_PER_DAY = 86400;

long long floor_div(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days from 1970-01-01 to year-month-day on the proleptic Gregorian
// calendar; month must be 1 to 12, day may be any number (it is simply
// added, so day 0 is the last day of the month before).
long long days_from_civil(long long year, int month, long long day) {
    year -= month <= 2 ? 1 : 0;
    long long era = floor_div(year, 400);
    long long year_of_era = year - era * 400;                           // 0..399
    long long month_from_march = month > 2 ? month - 3 : month + 9;     // 0..11
    long long day_of_year = (153 * month_from_march + 2) / 5;           // 0..365
    long long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468 + (day - 1);
}

struct Civil {
    long long year;
    int month;
    int day;
};

Civil civil_from_days(long long days) {
    days += 719468;
    long long era = floor_div(days, 146097);
    long long day_of_era = days - era * 146097;                                            // 0..146096
    long long year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;  // 0..399
    long long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    long long month_from_march = (5 * day_of_year + 2) / 153;                              // 0..11
    int day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
    int month = static_cast<int>(month_from_march < 10 ? month_from_march + 3 : month_from_march - 9);
    long long year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
    return Civil{year, month, day};
}

// The decimal digits of a non-negative number, padded with zeros on the left
// to at least width digits.
std::string padded(long long value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string year_digits(long long year) {
    std::string digits;
    if (year < 0) digits.push_back('-');
    digits.append(padded(year < 0 ? -year : year, 4));
    return digits;
}

// True if mask holds token at pos, with ASCII letters compared without case.
bool token_at(const Text& mask, std::size_t pos, const char* token) {
    for (std::size_t i = 0; token[i] != '\0'; ++i, ++pos) {
        if (pos >= mask.size()) return false;
        if (text_fold_ascii(static_cast<unsigned char>(mask[pos])) != static_cast<unsigned char>(token[i]))
            return false;
    }
    return true;
}

}  // namespace

DateValue date_from_parts(int year, int month, int day, int hour, int minute, int second) {
    // A month outside 1 to 12 carries into the year, as day, hour, minute
    // and second carry into the next larger field.
    long long months = static_cast<long long>(year) * 12 + (month - 1LL);
    long long full_year = floor_div(months, 12);
    int month_of_year = static_cast<int>(months - full_year * 12) + 1;
    long long days = days_from_civil(full_year, month_of_year, day);
    return days * SECONDS_PER_DAY + hour * 3600LL + minute * 60LL + second;
}

Text date_format(const Text& mask, DateValue value) {
    long long days = floor_div(value, SECONDS_PER_DAY);
    long long second_of_day = value % SECONDS_PER_DAY;
    if (second_of_day < 0) second_of_day += SECONDS_PER_DAY;
    Civil civil = civil_from_days(days);
    long long hour = second_of_day / 3600;
    long long minute = second_of_day / 60 % 60;
    long long second = second_of_day % 60;

    static const char* const TOKENS[] = {"yyyy", "yy", "mm", "dd", "hh", "ii", "ss"};
    Text result;
    std::size_t pos = 0;
    while (pos < mask.size()) {
        char c = mask[pos];
        if (c != '%') {
            result.push_back(c);
            ++pos;
            continue;
        }
        int token = -1;
        for (int t = 0; t < 7; ++t) {
            if (token_at(mask, pos + 1, TOKENS[t])) {
                token = t;
                break;
            }
        }
        switch (token) {
            case 0: result += year_digits(civil.year); break;
            case 1: {
                long long abs_year = civil.year < 0 ? -civil.year : civil.year;
                result += padded(abs_year % 100, 2);
                break;
            }
            case 2: result += padded(civil.month, 2); break;
            case 3: result += padded(civil.day, 2); break;
            case 4: result += padded(hour, 2); break;
            case 5: result += padded(minute, 2); break;
            case 6: result += padded(second, 2); break;
            default:
                result.push_back('%');
                ++pos;
                continue;
        }
        pos += 1 + std::char_traits<char>::length(TOKENS[token]);
    }
    return result;
}
