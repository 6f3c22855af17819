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

enum class BusRun { Finished, GivenUp, OutOfTime };

// The same with a limit: a batch that runs longer than `limitMs` is ended
// with everything it started. The limit is the program's own, measured in
// real time, over what the batch's tools are allowed; the Linux scripts bound
// each tool run themselves, the Windows batches cannot.
BusRun runBoundedBusCommand(const std::string& interpreter, Host& host,
                            const std::string& parameter, std::int64_t limitMs,
                            const GiveUp& giveUp = {});

// The limits of a port's search and of the read of `sensors` sensors: what
// DigiTemp may take (2 x READ_TIME + 4000 ms to search, 3 x READ_TIME +
// 1000 ms a sensor), the kill grace the scripts give each run, and two
// seconds for the batch itself.
std::int64_t searchLimitMs(int readTimeMs);
std::int64_t readLimitMs(int readTimeMs, int sensors);

// "7.3 s", for the bus log.
std::string limitText(std::int64_t ms);

}  // namespace kelvinor
