#pragma once
// The program's course, from start-up to the exit code:
//
//   startUp ──▶ Idle ──(start button)──▶ Recording ──(stop)──▶ Ending ──▶ 0
//      │          └──(close request)─────────────────────────▶ Ending
//      └──(no port with sensors)─────────────────────────────▶ Ending
//
// Each phase returns the next one; no feature ends the process. A stop from
// outside the windows (for an edition without a screen, a signal) reaches the
// phases as the main window's close request, through the desktop.
#include "logger/application/phase.h"
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Runs the program in the edition given (1 demonstration, 0 real sensors)
// and returns its exit code.
int runProgram(ProgramState& state, Host& host, int demoMode);

}  // namespace kelvinor
