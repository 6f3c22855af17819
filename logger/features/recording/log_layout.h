#pragma once
// The texts of the log file and the logbook.
#include <string>
#include <vector>

#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

enum class HeaderFor { Logbook, LogFile };

// Lines 1 to 18 of the header block; the log file spells its parameter
// heading "ERFASSUNGSSPARAMETER:".
std::vector<std::string> headerBlock(const ProgramState& state, HeaderFor target);

// Clears the logbook and writes the header block into it.
void showLogbookHeader(const ProgramState& state, Host& host);

}  // namespace kelvinor
