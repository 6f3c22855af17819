#pragma once
#include "logger/state/program_state.h"

namespace kelvinor {

// Tests every reading for the fault code and against both thresholds and
// collects the entries in alarmText.
void checkReadings(ProgramState& state);

}  // namespace kelvinor
