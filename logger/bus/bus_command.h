#pragma once
#include <string>

#include "logger/core/host.h"
#include "logger/core/program_state.h"

namespace kelvinor {

// Runs a batch of the bus tool through the command interpreter in the current
// folder, hidden, and waits without time limit for its end. Exit codes and
// start failures are ignored.
void runBusCommand(const ProgramState& state, Host& host, const std::string& parameter);

}  // namespace kelvinor
