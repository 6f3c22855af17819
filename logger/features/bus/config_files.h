#pragma once
// The READ_TIME setting of "kelvinor.ini", its copy into the bus tool's
// "digitemp.cfg", and the sensor table built from the chosen answer file.
#include "logger/state/program_state.h"

namespace kelvinor {

// Through the chosen sensor bus.
void loadReadTime(ProgramState& state);
void patchToolSettings(const ProgramState& state);
// The line table's sensor entries, then the sensors' values, thresholds and
// aliases at their defaults.
void buildSensorTable(ProgramState& state);

// The parts of the batch bus.
void useDefaultReadTime(ProgramState& state);
void readTimeFromSettings(ProgramState& state);
void writeReadTimeToToolSettings(const ProgramState& state);
void sensorsFromAnswerFile(ProgramState& state);

// The answer file of port n, "COM<n>READ.INI".
std::string answerFileName(int port);

}  // namespace kelvinor
