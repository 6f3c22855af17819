#pragma once
// One read of all sensors, for a row of the recording or for the instant
// query's message box.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// state.lastReadings from the bus. False, with them left as they were, when
// `giveUp` ended the read before its end.
bool readAllSensors(ProgramState& state, Host& host, const GiveUp& giveUp = {});

// The command of the instant query button: one reading shown in a message box.
void instantQuery(ProgramState& state, Host& host);

}  // namespace kelvinor
