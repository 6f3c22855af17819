#pragma once
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Runs the scan batches of COM1 to COM9 and chooses the port with sensors
// (the highest one wins). When no port carries sensors it says so and
// returns false: the program then ends.
bool scanPorts(ProgramState& state, Host& host);

}  // namespace kelvinor
