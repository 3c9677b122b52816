// The local clock, read through the system-call table.
#pragma once

#include "base/date.h"

// The current local time, to the second; 0 where the system cannot tell it.
DateValue date_now();
