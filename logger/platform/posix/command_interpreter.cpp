#include "logger/system/command_interpreter.h"

namespace kelvinor {

// On Linux the batch files are POSIX shell scripts: "command /cNAME" becomes
// "/bin/sh ./NAME", run in the working folder. The interpreter's name in the
// program state is kept as it is.
InterpreterCall interpreterCall(std::string_view, std::string_view parameter) {
    if (parameter.starts_with("/c") || parameter.starts_with("/C")) parameter.remove_prefix(2);
    std::string script(parameter);
    if (script.find('/') == std::string::npos) script = "./" + script;
    return {"/bin/sh", script};
}

}  // namespace kelvinor
