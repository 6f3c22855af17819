#pragma once
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Runs the scan batches of COM1 to COM9 and chooses the port with sensors
// (the highest one wins). Ends the program when no port carries sensors.
void scanPorts(ProgramState& state, Host& host);

// The demonstration bus's answer: its simulated sensors are on COM1.
void announceDemoPort(ProgramState& state, Host& host);
// The batch bus's answer: the ports whose answer files list sensors, each
// shown for two seconds.
void findPortInAnswerFiles(ProgramState& state, Host& host);

}  // namespace kelvinor
