#pragma once
// The READ_TIME setting of "kelvinor.ini", its copy into the bus tool's
// "digitemp.cfg", and the sensor table built from the chosen answer file.
#include "logger/core/program_state.h"

namespace kelvinor {

void loadReadTime(ProgramState& state);
void patchToolSettings(const ProgramState& state);
void buildSensorTable(ProgramState& state);

// The answer file of port n, "COM<n>READ.INI".
std::string answerFileName(int port);

}  // namespace kelvinor
