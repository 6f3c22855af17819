#pragma once
#include "logger/seams/clock.h"

namespace kelvinor {

// Windows' clocks: the system time, Windows' own local time, GetTickCount64.
class SystemClock final : public Clock {
  public:
    std::int64_t calendarSeconds() override;
    LocalTime toLocal(std::int64_t calendarSeconds) override;
    std::int64_t monotonicMs() override;
    void sleepMs(std::int64_t milliseconds) override;
};

}  // namespace kelvinor
