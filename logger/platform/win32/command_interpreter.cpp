#include "logger/system/command_interpreter.h"

#include <cstdlib>

namespace kelvinor {

// "command" does not exist on 64-bit Windows: the batches run through the
// interpreter that COMSPEC names (cmd.exe), with "/c" and the batch's name.
InterpreterCall interpreterCall(std::string_view, std::string_view parameter) {
    const char* comspec = std::getenv("COMSPEC");
    std::string interpreter = comspec != nullptr && *comspec != '\0' ? comspec : "cmd.exe";
    if (parameter.starts_with("/c") || parameter.starts_with("/C")) parameter.remove_prefix(2);
    return {interpreter, "/c " + std::string(parameter)};
}

}  // namespace kelvinor
