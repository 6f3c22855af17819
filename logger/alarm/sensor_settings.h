#pragma once
// The alias and threshold editors of the main window.
#include "logger/core/host.h"
#include "logger/core/program_state.h"

namespace kelvinor {

void editAliases(ProgramState& state, Host& host);
void editThresholds(ProgramState& state, Host& host);

}  // namespace kelvinor
