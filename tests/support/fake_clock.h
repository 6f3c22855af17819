#pragma once
// A clock that advances only when the program sleeps or waits, so long
// recordings run in milliseconds. Local time is a fixed offset from UTC.
#include <cstdint>

#include "logger/seams/clock.h"

namespace kelvinor::testing {

class FakeClock final : public Clock {
  public:
    // Starts at the given local wall-clock time.
    FakeClock(int year, int month, int day, int hour, int minute, int second,
              long utcOffsetSeconds = 3600);

    std::int64_t calendarSeconds() override { return epochSeconds_ + elapsedMs_ / 1000; }
    LocalTime toLocal(std::int64_t calendarSeconds) override;
    std::int64_t monotonicMs() override { return bootMs_ + elapsedMs_; }
    void sleepMs(std::int64_t milliseconds) override {
        if (milliseconds > 0) {
            elapsedMs_ += milliseconds;
            sleptMs_ += milliseconds;
        }
    }

    void advance(std::int64_t milliseconds) { elapsedMs_ += milliseconds; }
    std::int64_t elapsedMs() const { return elapsedMs_; }
    std::int64_t sleptMs() const { return sleptMs_; }

  private:
    std::int64_t epochSeconds_ = 0;
    std::int64_t bootMs_ = 5'000'000'000;  // far past 2^31 ms: no 32-bit wrap hides here
    std::int64_t elapsedMs_ = 0;
    std::int64_t sleptMs_ = 0;
    long offset_ = 0;
};

}  // namespace kelvinor::testing
