#pragma once
#include "logger/seams/clock.h"

namespace kelvinor {

// The system clocks: calendar time, the local time zone, a monotonic counter.
class SystemClock final : public Clock {
  public:
    std::int64_t calendarSeconds() override;
    LocalTime toLocal(std::int64_t calendarSeconds) override;
    std::int64_t monotonicMs() override;
    void sleepMs(std::int64_t milliseconds) override;
};

}  // namespace kelvinor
