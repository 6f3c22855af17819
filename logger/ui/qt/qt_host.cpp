#include "logger/ui/qt/qt_host.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "logger/mail/mail_message.h"
#include "logger/platform/process_starter.h"
#include "logger/platform/system_clock.h"
#include "logger/sound/qt/qt_sound_output.h"
#include "logger/ui/qt/qt_desktop.h"

namespace kelvinor {
namespace {

// The program's pauses (after a sound cue, before the log question) take no
// user input, as on Windows, but keep the window system served: the windows
// repaint, and a stop click or close request is kept for the next wait.
class PausingClock final : public Clock {
  public:
    explicit PausingClock(Desktop& desktop) : desktop_(desktop) {}
    std::int64_t calendarSeconds() override { return system_.calendarSeconds(); }
    LocalTime toLocal(std::int64_t seconds) override { return system_.toLocal(seconds); }
    std::int64_t monotonicMs() override { return system_.monotonicMs(); }
    void sleepMs(std::int64_t milliseconds) override {
        const std::int64_t end = monotonicMs() + milliseconds;
        for (std::int64_t left = milliseconds; left > 0; left = end - monotonicMs())
            desktop_.serveWithoutInput(left);
    }

  private:
    Desktop& desktop_;
    SystemClock system_;
};

}  // namespace

RealHost::RealHost(std::function<void(int)> exitProcess, std::unique_ptr<SoundOutput> sound)
    : desktop_(std::make_unique<QtDesktop>()),
      clock_(std::make_unique<PausingClock>(*desktop_)),
      sound_(sound ? std::move(sound) : std::make_unique<QtSoundOutput>()),
      starter_(std::make_unique<PosixProgramStarter>()) {
    host_ = std::make_unique<Host>(Host{*desktop_, *clock_, *sound_, *starter_, [] { return true; },
                                        exitProcess ? exitProcess : [](int code) {
                                            // Every file is closed and synced by now. The
                                            // library teardown is skipped: Qt 6.4's PulseAudio
                                            // backend can abort in it after the last sink is gone.
                                            std::fflush(nullptr);
                                            _exit(code);
                                        }});
}

RealHost::~RealHost() = default;

}  // namespace kelvinor
