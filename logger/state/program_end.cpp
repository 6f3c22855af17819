#include "logger/state/program_end.h"

#include "logger/system/platform.h"

namespace kelvinor {

void endProgram(ProgramState& state, Host& host) {
    host.sound.close();
    // "offline" to the broker and the connection closed, bounded in time.
    state.broker.reset();
    state.mailMessage.reset();
    if (state.socketLayerStarted) stopSocketLayer();
    state.socketLayerStarted = false;
    host.desktop.closeAll();
}

}  // namespace kelvinor
