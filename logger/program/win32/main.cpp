// Kelvinor for Windows: the program on Win32's own windows and DirectSound,
// built twice: Kelvinor.exe for real sensors, Kelvinor-Demo.exe with three
// simulated ones (KELVINOR_PROGRAM_DEMO_MODE 0 or 1).
#include "logger/application/program_course.h"
#include "logger/broker/mosquitto/mosquitto_broker.h"
#include "logger/desktop/win32/direct_sound_output.h"
#include "logger/desktop/win32/win32_desktop.h"
#include "logger/program/pausing_clock.h"
#include "logger/state/program_state.h"
#include "logger/system/platform.h"

int main() {
    kelvinor::Win32Desktop desktop;
    kelvinor::PausingClock clock(desktop);
    kelvinor::DirectSoundOutput sound;
    const std::unique_ptr<kelvinor::ProgramStarter> starter = kelvinor::makeProgramStarter();
    kelvinor::Host host{desktop, clock, sound, *starter, kelvinor::startSocketLayer};
    // MQTT without TLS: a KelvMqtt.ini with "TLS on" is refused in DIGITEMP.LOG.
    host.connectBroker = [](const kelvinor::BrokerSettings& settings) {
        return kelvinor::connectMosquittoBroker(settings);
    };
    static kelvinor::ProgramState state;  // large: not on the stack
    kelvinor::endProcess(kelvinor::runProgram(state, host, KELVINOR_PROGRAM_DEMO_MODE));
}
