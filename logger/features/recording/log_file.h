#pragma once
// The log file of a recording and its copy "LastLogFile.dat". Every line
// reaches the disk before the operation returns; a file that cannot be
// written never stops the recording, and the logbook gets every line.
#include <string>
#include <vector>

#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

void askLogFileName(ProgramState& state, Host& host);
// Opens the log file (an existing one is continued after its end) and writes
// the header block; its lines from "Log-Datei:" on also go to the logbook.
void writeLogHeader(ProgramState& state, Host& host);
void writeLogRow(ProgramState& state, Host& host);
// Brings "LastLogFile.dat" up to the log file's state.
void saveLogFile(ProgramState& state);
void writeLogEnd(ProgramState& state, Host& host, const std::string& endDate,
                 const std::string& endTime);

}  // namespace kelvinor
