#pragma once
// One measurement of all sensors: the data-line batch and its "DATALINE.TXT",
// or the three simulated sensors of the demonstration.
#include "logger/features/bus/bus_command.h"
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// The data line through the chosen sensor bus. False, with the data line left
// as it was, when `giveUp` ended the read before its end.
bool readDataLine(ProgramState& state, Host& host, const GiveUp& giveUp = {});
// The batch bus's read: runs the data-line batch and reads its line.
bool readDataLineFile(ProgramState& state, Host& host, const GiveUp& giveUp);
// The demonstration bus's row: the simulated temperatures, which then move on.
void composeDemoReading(ProgramState& state);
void splitDataLine(ProgramState& state);
// False when the read was given up; nothing is split then.
bool readAllSensors(ProgramState& state, Host& host, const GiveUp& giveUp = {});

// The command of the instant query button: one reading shown in a message box.
void instantQuery(ProgramState& state, Host& host);

}  // namespace kelvinor
