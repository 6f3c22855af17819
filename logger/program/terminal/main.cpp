// kelvinor-terminal: Kelvinor without a screen, built twice like the desktop
// edition (KELVINOR_PROGRAM_DEMO_MODE 0 or 1). Links no toolkit.
//   kelvinor-terminal
// runs the program in the terminal (ncurses): the main window, its buttons
// as keys, the prompts and messages as dialogs. SIGTERM and SIGINT (Ctrl+C)
// close the main window as F10 does.
//   kelvinor-terminal --unattended SETTINGS
// records from the settings file until SIGTERM or SIGINT, which acts as the
// stop button (the end block is written, the question to open the log is
// answered "Nein"); the logbook and every message go to standard output.
// Exit codes: 0 after a stop, 2 for bad settings (a sensor number beyond
// the sensors found among them) or no sensors.
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>

#include "clock/clock_text.h"
#include "logger/application/program_course.h"
#include "logger/application/unattended_answers.h"
#include "logger/broker/mosquitto/mosquitto_broker.h"
#include "logger/desktop/terminal/terminal_bell.h"
#include "logger/desktop/terminal/terminal_desktop.h"
#include "logger/desktop/unattended/unattended_desktop.h"
#include "logger/program/pausing_clock.h"
#include "logger/program/terminal/no_display_starter.h"
#include "logger/state/program_state.h"
#include "logger/system/platform.h"
#include "logger/system/stop_signals.h"
#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

// No sound without a desktop: the cues are never played.
class NoSound final : public SoundOutput {
  public:
    bool open() override { return false; }
    bool loadCue(int, const WaveFormat&, std::span<const std::uint8_t>) override { return false; }
    void play(int) override {}
    void close() override {}
};

std::unique_ptr<MessageBroker> publishToMosquitto(const BrokerSettings& settings) {
    return connectMosquittoBroker(settings);
}

int refuse(const std::string& what) {
    std::cerr << "kelvinor-terminal: " << what << '\n';
    return 2;
}

int recordUnattended(const char* settingsPath) {
    std::ifstream file(settingsPath, std::ios::binary);
    if (!file)
        return refuse(std::string("Die Einstellungsdatei ") + settingsPath +
                      " kann nicht gelesen werden.");
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    const auto parsed = parseUnattendedSettings(bytes);
    if (const auto* error = std::get_if<SettingsError>(&parsed))
        return refuse(std::string(settingsPath) + ": " + cp1252ToUtf8(error->message));
    const UnattendedSettings& settings = std::get<UnattendedSettings>(parsed);

    // The sensor numbers of the settings are checked once the sensors are
    // known, at the first prompt (the title's, right after the sensor table
    // is built); a number beyond them stops the run before anything is asked.
    ProgramState state;
    bool checked = false, refused = false;
    const std::function<bool(std::int64_t)> stopSignal = takeStopSignals();
    UnattendedDesktop desktop(
        [&](const std::string& title, const std::string& message, const std::string& preset) {
            if (!checked) {
                checked = true;
                if (const auto error = checkSensorNumbers(settings, state.sensorCount())) {
                    refused = true;
                    refuse(std::string(settingsPath) + ": " + cp1252ToUtf8(error->message));
                }
            }
            return refused ? preset : answerFromSettings(settings, title, message, preset);
        },
        clicksFromSettings(settings), [&](std::int64_t ms) { return refused || stopSignal(ms); },
        std::cout);
    PausingClock clock(desktop);
    NoSound sound;
    const std::unique_ptr<ProgramStarter> starter = makeProgramStarter();
    Host host{desktop, clock, sound, *starter, startSocketLayer};
    host.connectBroker = publishToMosquitto;
    const int code = runProgram(state, host, KELVINOR_PROGRAM_DEMO_MODE);
    // Without sensors the service manager is to try again later.
    return refused || state.sensorPort == 0 ? 2 : code;
}

int runInTerminal() {
    if (!terminalAttached())
        return refuse(
            "Die Bedienung braucht ein Terminal; ohne eines: --unattended EINSTELLUNGSDATEI");
    ProgramState state;
    const std::function<bool(std::int64_t)> stopSignal = takeStopSignals();
    std::unique_ptr<Clock> wallClock = makeSystemClock();
    TerminalDesktop desktop([&] { return stopSignal(0); },
                            [&] {
                                const LocalTime t = wallClock->localNow();
                                return horalux::clockText({t.year, t.month, t.day, t.hour, t.minute,
                                                           t.second, t.weekday});
                            });
    PausingClock clock(desktop);
    TerminalBell sound;
    const std::unique_ptr<ProgramStarter> systemStarter = makeProgramStarter();
    NoDisplayStarter starter(*systemStarter, desktop);
    Host host{desktop, clock, sound, starter, startSocketLayer};
    host.connectBroker = publishToMosquitto;
    return runProgram(state, host, KELVINOR_PROGRAM_DEMO_MODE);
}

}  // namespace
}  // namespace kelvinor

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--unattended")
        kelvinor::endProcess(kelvinor::recordUnattended(argv[2]));
    if (argc == 1) kelvinor::endProcess(kelvinor::runInTerminal());
    std::fputs(
        "Aufruf: kelvinor-terminal                                (Bedienung im Terminal)\n"
        "        kelvinor-terminal --unattended EINSTELLUNGSDATEI (ohne Bedienung)\n",
        stderr);
    return 2;
}
