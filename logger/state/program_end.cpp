#include "logger/state/program_end.h"

#include <cstdlib>

#include "logger/seams/platform.h"

namespace kelvinor {

void endProgram(ProgramState& state, Host& host) {
    host.sound.close();
    state.mailMessage.reset();
    stopSocketLayer();
    host.desktop.closeAll();
    host.exitProcess(0);
    std::abort();  // exitProcess never returns
}

}  // namespace kelvinor
