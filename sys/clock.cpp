#include "sys/clock.h"

#include <algorithm>

#include "sys/os.h"

DateValue date_now() {
    os::LocalTime now;
    if (!os::local_time(now)) return 0;
    // A leap second (second 60) is shown as the last second of its minute,
    // so the value never runs into the next minute.
    return date_from_parts(now.year, now.month, now.day, now.hour, now.minute, std::min(now.second, 59));
}
