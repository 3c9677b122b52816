// The desktop window services on Linux are the Qt ones.
#include "runtime/desktop_window.h"

#include "runtime/qt/qt_window.h"

WindowServices* desktop_window_services_create(int argc, char** argv) {
    return qt_window_services_create(argc, argv);
}

void desktop_window_services_destroy(WindowServices* services) {
    qt_window_services_destroy(services);
}
