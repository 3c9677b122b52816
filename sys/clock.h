// The local clock, read by the platform (sys/posix/clock.cpp,
// sys/win32/clock.cpp).
#pragma once

#include "base/date.h"

// The current local time, to the second.
DateValue date_now();
