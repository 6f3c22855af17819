#include "logger/features/bus/bus_command.h"

#include "logger/features/host_calls/host_calls.h"
#include "logger/system/command_interpreter.h"

namespace kelvinor {

bool runBusCommand(const std::string& interpreter, Host& host, const std::string& parameter,
                   const GiveUp& giveUp) {
    const InterpreterCall call = interpreterCall(interpreter, parameter);
    bool givenUp = false;
    startProgram(host, call.file, call.parameters, ".", kWait | kHidden | kOwnGroup, [&] {
        host.desktop.serveWithoutInput(0);
        givenUp = giveUp && giveUp();
        return !givenUp;
    });
    return !givenUp;
}

}  // namespace kelvinor
