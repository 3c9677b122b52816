// TELVOR on the desktop: the run on the Qt window services.
#include "app/main_sequence.h"
#include "runtime/file.h"
#include "runtime/qt/qt_window.h"

int main(int argc, char** argv) {
    program_start(argc, argv);
    WindowServices* services = qt_window_services_create(argc, argv);
    const int exit_code = telvor_run(*services);
    qt_window_services_destroy(services);
    return exit_code;
}
