#pragma once
// A recording: the interval, the log file, cycles at the interval, the stop.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Never returns: a stopped recording ends the program.
[[noreturn]] void startRecording(ProgramState& state, Host& host);

}  // namespace kelvinor
