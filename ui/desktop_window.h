// The desktop window services of the platform built for (Qt 6 Widgets on
// Linux, the Win32 API on Windows), created without any of the platform's
// headers, so that the program's main is the same everywhere.
#pragma once

#include "ui/window.h"

// Creates the desktop window services. Never aborts for want of a display:
// without one, window_open fails with a reason and the question answers
// Cancel without being shown.
WindowServices* desktop_window_services_create(int argc, char** argv);
void desktop_window_services_destroy(WindowServices* services);
