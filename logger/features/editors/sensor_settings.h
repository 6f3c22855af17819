#pragma once
// The alias and threshold editors of the main window.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

void editAliases(ProgramState& state, Host& host);
void editThresholds(ProgramState& state, Host& host);

}  // namespace kelvinor
