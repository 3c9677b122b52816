// The whole run, start-up to shutdown, on the installed window services.
#pragma once

#include "ui/window.h"

// Runs start-up and the main sequence with the given window services and
// returns the process's exit status (run/run_state.h). program_start must
// have been called first. The process may call it again for another run.
int telvor_run(WindowServices& services);
