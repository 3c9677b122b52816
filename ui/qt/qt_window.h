// The desktop window services (Qt 6 Widgets). This header includes no Qt
// header, so the rest of the program can create the services through it.
#pragma once

#include "ui/window.h"

// Creates the desktop window services. Never aborts for want of a display:
// without one, window_open fails with a reason and the question answers
// Cancel without being shown.
WindowServices* qt_window_services_create(int argc, char** argv);
void qt_window_services_destroy(WindowServices* services);
