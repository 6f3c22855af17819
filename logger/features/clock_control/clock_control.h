#pragma once
// Starting and terminating the clock program Horalux.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

void startClock(ProgramState& state, Host& host);
void stopClock(ProgramState& state, Host& host);
// The command of the clock toggle.
void toggleClock(ProgramState& state, Host& host);

}  // namespace kelvinor
