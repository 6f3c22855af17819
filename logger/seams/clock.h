#pragma once
// The Clock seam: local calendar time, a monotonic millisecond counter and
// sleeping. The real clock uses the system clocks; scenario tests use a fake
// clock that advances only when the program sleeps or waits.
#include <cstdint>

#include "logger/text/date_mask.h"

namespace kelvinor {

class Clock {
  public:
    virtual ~Clock() = default;
    // Calendar time in whole seconds since 1970 (UTC).
    virtual std::int64_t calendarSeconds() = 0;
    // The calendar time broken down in the local time zone.
    virtual LocalTime toLocal(std::int64_t calendarSeconds) = 0;
    // Milliseconds of a monotonic 64-bit counter; never wraps.
    virtual std::int64_t monotonicMs() = 0;
    virtual void sleepMs(std::int64_t milliseconds) = 0;

    LocalTime localNow() { return toLocal(calendarSeconds()); }
};

}  // namespace kelvinor
