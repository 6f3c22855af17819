#pragma once
// The stop from outside for a program without a window: SIGTERM, SIGINT and
// SIGHUP (a service manager's stop, Ctrl+C, a terminal that went away; on
// Windows the console's Ctrl+C, close and shut-down events) are held back
// from ending the process and waited for instead.
#include <cstdint>
#include <functional>

namespace kelvinor {

// Takes the stop signals over; call once, early in main, before any thread
// starts. The function waits at most `ms` (0: not at all) for one and says
// whether one came, then or at any time before.
std::function<bool(std::int64_t ms)> takeStopSignals();

}  // namespace kelvinor
