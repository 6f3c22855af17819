#pragma once
// Starting and terminating the clock program Horalux.
#include "logger/core/host.h"
#include "logger/core/program_state.h"

namespace kelvinor {

void startClock(ProgramState& state, Host& host);
void stopClock(ProgramState& state, Host& host);
// The command of the clock toggle.
void toggleClock(ProgramState& state, Host& host);

}  // namespace kelvinor
