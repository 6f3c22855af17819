#pragma once
// Waiting on a Windows socket within a deadline, in steps short enough to
// notice at once that the one waiting has given up.
// clang-format off
#include <winsock2.h>
// clang-format on

#include <chrono>
#include <functional>

namespace kelvinor {

using SocketClock = std::chrono::steady_clock;
using GivenUp = std::function<bool()>;

// Milliseconds until `deadline`, never below 0.
int remainingMs(SocketClock::time_point deadline);

// Waits until the socket can be written (or has connected) or read; false
// at the deadline, on a failure of the socket, or once `givenUp` says so.
bool waitForSocket(SOCKET socket, bool writing, int timeoutMs, const GivenUp& givenUp);

}  // namespace kelvinor
