#pragma once
#include <functional>
#include <string>

#include "logger/seams/host.h"
#include "logger/seams/sensor_bus.h"

namespace kelvinor {

// Runs a batch of the bus tool through the command interpreter (named
// "command" at start-up) in the current folder, hidden, and waits for its
// end. Exit codes and start failures are ignored. While it waits, the windows
// are kept painted without taking input; when `giveUp` says so, the batch and
// everything it started are ended and the result is false. The batch never
// outlives the program.
bool runBusCommand(const std::string& interpreter, Host& host, const std::string& parameter,
                   const GiveUp& giveUp = {});

}  // namespace kelvinor
