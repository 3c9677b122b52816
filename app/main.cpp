// TELVOR on the desktop: the run on the platform's window services.
#include "app/main_sequence.h"
#include "runtime/desktop_window.h"
#include "runtime/file.h"

int main(int argc, char** argv) {
    program_start(argc, argv);
    WindowServices* services = desktop_window_services_create(argc, argv);
    const int exit_code = telvor_run(*services);
    desktop_window_services_destroy(services);
    return exit_code;
}
