#include "logger/ui/qt/qt_host.h"

#include <cstdio>
#include <cstdlib>

#include "logger/mail/mail_message.h"
#include "logger/platform/process_starter.h"
#include "logger/platform/system_clock.h"
#include "logger/ui/qt/qt_desktop.h"

namespace kelvinor {

RealHost::RealHost(std::function<void(int)> exitProcess)
    : desktop_(std::make_unique<QtDesktop>()),
      clock_(std::make_unique<SystemClock>()),
      sound_(std::make_unique<NoSoundOutput>()),
      starter_(std::make_unique<PosixProgramStarter>()) {
    host_ = std::make_unique<Host>(Host{*desktop_, *clock_, *sound_, *starter_, [] { return true; },
                                        exitProcess ? exitProcess : [](int code) {
                                            std::fflush(nullptr);
                                            std::exit(code);
                                        }});
}

RealHost::~RealHost() = default;

}  // namespace kelvinor
