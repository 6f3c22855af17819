#pragma once
#include "logger/application/phase.h"
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// The start-up steps, up to the main window with its logbook header; the
// edition is the program's (1 demonstration, 0 real sensors). Idle next, or
// Ending when no port carries sensors.
Phase startUp(ProgramState& state, Host& host, int demoMode);

// The schedule texts before the first recording: "--.--.--", "--:--:--", "-------" and "-".
void clearScheduleTexts(ProgramState& state);

}  // namespace kelvinor
