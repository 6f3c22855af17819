#pragma once
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// The entry of the program: runs the start-up steps and never returns; the
// program ends through endProgram.
// The edition is the program's: 1 demonstration, 0 real sensors.
[[noreturn]] void startUp(ProgramState& state, Host& host, int demoMode);

// The schedule texts before the first recording: "--.--.--", "--:--:--", "-------" and "-".
void clearScheduleTexts(ProgramState& state);

}  // namespace kelvinor
