#pragma once
// The program's pauses (after a sound cue, before the log question) take no
// user input, as on Windows, but keep the window system served: the windows
// repaint, and a stop click or close request is kept for the next wait.
#include <memory>

#include "logger/seams/clock.h"
#include "logger/seams/desktop.h"
#include "logger/system/platform.h"

namespace kelvinor {

class PausingClock final : public Clock {
  public:
    explicit PausingClock(Desktop& desktop) : desktop_(desktop), system_(makeSystemClock()) {}
    std::int64_t calendarSeconds() override { return system_->calendarSeconds(); }
    LocalTime toLocal(std::int64_t seconds) override { return system_->toLocal(seconds); }
    std::int64_t monotonicMs() override { return system_->monotonicMs(); }
    void sleepMs(std::int64_t milliseconds) override {
        const std::int64_t end = monotonicMs() + milliseconds;
        for (std::int64_t left = milliseconds; left > 0; left = end - monotonicMs())
            desktop_.serveWithoutInput(left);
    }

  private:
    Desktop& desktop_;
    std::unique_ptr<Clock> system_;
};

}  // namespace kelvinor
