#pragma once
#include "logger/core/host.h"
#include "logger/core/program_state.h"

namespace kelvinor {

// Runs the scan batches of COM1 to COM9 and chooses the port with sensors
// (the highest one wins). Ends the program when no port carries sensors.
void scanPorts(ProgramState& state, Host& host);

}  // namespace kelvinor
