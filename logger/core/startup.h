#pragma once
#include "logger/core/host.h"
#include "logger/core/program_state.h"

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

// Releases everything and ends the process with exit code 0.
[[noreturn]] void endProgram(ProgramState& state, Host& host);

// The schedule texts before the first recording: "--.--.--", "--:--:--", "-------" and "-".
void clearScheduleTexts(ProgramState& state);

// The prefix of the default log file name: $HOME/KELVINOR, or KELVINOR in
// the current folder when HOME is not set.
std::string defaultLogFilePrefix();

}  // namespace kelvinor
