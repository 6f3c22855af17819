#include "logger/program/real_host.h"

#include "logger/broker/mosquitto/mosquitto_broker.h"
#include "logger/desktop/qt/qt_desktop.h"
#include "logger/desktop/qt/qt_sound_output.h"
#include "logger/program/pausing_clock.h"
#include "logger/system/platform.h"

namespace kelvinor {

RealHost::RealHost(std::unique_ptr<SoundOutput> sound, std::function<bool()> stopRequested)
    : desktop_(std::make_unique<QtDesktop>()),
      clock_(std::make_unique<PausingClock>(*desktop_)),
      sound_(sound ? std::move(sound) : std::make_unique<QtSoundOutput>()),
      starter_(makeProgramStarter()) {
    if (stopRequested) desktop_->takeStopRequestsFrom(std::move(stopRequested));
    host_ = std::make_unique<Host>(Host{*desktop_, *clock_, *sound_, *starter_, startSocketLayer});
    host_->connectBroker = [](const BrokerSettings& settings) {
        return connectMosquittoBroker(settings);
    };
}

RealHost::~RealHost() = default;

}  // namespace kelvinor
