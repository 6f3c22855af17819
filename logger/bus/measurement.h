#pragma once
// One measurement of all sensors: the data-line batch and its "DATALINE.TXT",
// or the three simulated sensors of the demonstration.
#include "logger/bus/bus_command.h"
#include "logger/core/host.h"
#include "logger/core/program_state.h"

namespace kelvinor {

// Runs the data-line batch and reads its line. False, with the data line left
// as it was, when `giveUp` ended the batch before its end.
bool readDataLine(ProgramState& state, Host& host, const GiveUp& giveUp = {});
void composeDemoReading(ProgramState& state);
void splitDataLine(ProgramState& state);
// False when the read was given up; nothing is split then.
bool readAllSensors(ProgramState& state, Host& host, const GiveUp& giveUp = {});

// The command of the instant query button: one reading shown in a message box.
void instantQuery(ProgramState& state, Host& host);

}  // namespace kelvinor
