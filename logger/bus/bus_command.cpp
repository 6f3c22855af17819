#include "logger/bus/bus_command.h"

#include "logger/platform/command_interpreter.h"
#include "logger/ui/program_start.h"

namespace kelvinor {

void runBusCommand(const ProgramState& state, Host& host, const std::string& parameter) {
    const InterpreterCall call = interpreterCall(state.commandInterpreter, parameter);
    startProgram(host, call.file, call.parameters, ".", kWait | kHidden);
}

}  // namespace kelvinor
