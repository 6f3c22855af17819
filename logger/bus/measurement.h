#pragma once
// One measurement of all sensors: the data-line batch and its "DATALINE.TXT",
// or the three simulated sensors of the demonstration.
#include "logger/core/host.h"
#include "logger/core/program_state.h"

namespace kelvinor {

void readDataLine(ProgramState& state, Host& host);
void composeDemoReading(ProgramState& state);
void splitDataLine(ProgramState& state);
void readAllSensors(ProgramState& state, Host& host);

// The command of the instant query button: one reading shown in a message box.
void instantQuery(ProgramState& state, Host& host);

}  // namespace kelvinor
