#pragma once
// A recording: the interval, the log file, cycles at the interval, the stop.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Runs a recording from its interval prompt to the question after the stop
// (a stop click, or a close request of the main window from anywhere,
// taken at the next pass); returns once it has stopped, and the program
// then ends.
void startRecording(ProgramState& state, Host& host);

}  // namespace kelvinor
