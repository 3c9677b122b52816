// Date values and date masks.
//
// A Date value counts the seconds from 1970-01-01 00:00:00 to the local
// wall-clock time, as if that time were UTC: no time-zone or daylight-saving
// shift in either direction. It is 64 bits wide, so it does not end in 2038.
#pragma once

#include "base/text.h"

using DateValue = long long;

// The Date value of a calendar date and clock time (proleptic Gregorian).
DateValue date_from_parts(int year, int month, int day, int hour, int minute, int second);
// Renders a mask: "%" followed by yyyy, yy, mm, dd, hh, ii or ss (any letter
// case, tried in that order) stands for a field; every other byte, and a
// "%" followed by no token, is copied.
Text date_format(const Text& mask, DateValue value);
