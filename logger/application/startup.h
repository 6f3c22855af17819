#pragma once
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// The edition this program was built as: 1 demonstration, 0 real sensors.
#ifdef KELVINOR_DEMO_MODE_EDITION
inline constexpr int kEditionDemoMode = KELVINOR_DEMO_MODE_EDITION;
#else
inline constexpr int kEditionDemoMode = 1;
#endif

// The entry of the program: runs the start-up steps and never returns; the
// program ends through endProgram.
[[noreturn]] void startUp(ProgramState& state, Host& host, int demoMode = kEditionDemoMode);

// The schedule texts before the first recording: "--.--.--", "--:--:--", "-------" and "-".
void clearScheduleTexts(ProgramState& state);

}  // namespace kelvinor
