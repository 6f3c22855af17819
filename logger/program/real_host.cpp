#include "logger/program/real_host.h"

#include "logger/desktop/qt/qt_desktop.h"
#include "logger/desktop/qt/qt_sound_output.h"
#include "logger/seams/platform.h"

namespace kelvinor {
namespace {

// The program's pauses (after a sound cue, before the log question) take no
// user input, as on Windows, but keep the window system served: the windows
// repaint, and a stop click or close request is kept for the next wait.
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

}  // namespace

RealHost::RealHost(std::function<void(int)> exitProcess, std::unique_ptr<SoundOutput> sound)
    : desktop_(std::make_unique<QtDesktop>()),
      clock_(std::make_unique<PausingClock>(*desktop_)),
      sound_(sound ? std::move(sound) : std::make_unique<QtSoundOutput>()),
      starter_(makeProgramStarter()) {
    host_ = std::make_unique<Host>(Host{*desktop_, *clock_, *sound_, *starter_, startSocketLayer,
                                        exitProcess ? exitProcess : endProcess});
}

RealHost::~RealHost() = default;

}  // namespace kelvinor
