#pragma once
// The end of a run, reached from start-up, the port scan, the recording and
// the main window alike.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Releases everything and ends the process with exit code 0.
[[noreturn]] void endProgram(ProgramState& state, Host& host);

}  // namespace kelvinor
