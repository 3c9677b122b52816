// The local clock on Win32.
#include "sys/clock.h"
#include "sys/win32/win32_io.h"

DateValue date_now() {
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    return date_from_parts(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                           local.wSecond);
}
