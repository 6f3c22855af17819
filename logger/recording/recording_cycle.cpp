#include "logger/recording/recording_cycle.h"

#include "logger/core/startup.h"

namespace kelvinor {

void startRecording(ProgramState& state, Host& host) {
    endProgram(state, host);
}

}  // namespace kelvinor
