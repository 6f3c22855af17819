#pragma once
// The end of a run, reached from start-up, the recording and the main window
// alike: the program's course ends with it.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Releases the sound output, the e-mail, the socket layer and the windows.
void endProgram(ProgramState& state, Host& host);

}  // namespace kelvinor
