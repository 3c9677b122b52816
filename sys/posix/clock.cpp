// The local clock on POSIX systems.
#include <time.h>

#include "sys/clock.h"

DateValue date_now() {
    time_t now = time(nullptr);
    struct tm local {};
    if (localtime_r(&now, &local) == nullptr) return 0;
    // A leap second (second 60) is shown as the last second of its minute,
    // so the value never runs into the next minute.
    int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return date_from_parts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, second);
}
