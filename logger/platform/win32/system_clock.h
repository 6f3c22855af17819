#pragma once
#include "logger/seams/clock.h"

namespace kelvinor {

// Windows' clocks: the system time, the time zone's biases, GetTickCount64.
class SystemClock final : public Clock {
  public:
    std::int64_t calendarSeconds() override;
    LocalTime toLocal(std::int64_t calendarSeconds) override;
    std::int64_t monotonicMs() override;
    void sleepMs(std::int64_t milliseconds) override;
};

// The offset of local time from UTC in seconds as the e-mail's Date line
// states it: the zone's bias plus its daylight bias while daylight saving
// time is in effect, its standard bias otherwise (Windows counts biases as
// UTC minus local time, so the sign is turned).
long utcOffsetFromBiases(long biasMinutes, long standardBias, long daylightBias, bool daylight);

}  // namespace kelvinor
