// The whole run, start-up to shutdown, on the installed window services.
#pragma once

#include <string>
#include <vector>

#include "ui/window.h"

// Runs start-up and the main sequence with the given window services and
// the program's parameters (its arguments after its own path; the first
// names the Event file), and returns the process's exit status
// (steps/run_state.h). The process calls os::process_setup once first; it
// may run again afterwards.
int telvor_run(WindowServices& services, const std::vector<std::string>& parameters);
