// Kelvinor: data logger for DS1820 1-Wire temperature sensors, built twice:
// Kelvinor for real sensors, Kelvinor-Demo with three simulated ones
// (KELVINOR_PROGRAM_DEMO_MODE 0 or 1).
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "logger/application/program_course.h"
#include "logger/desktop/qt/qt_desktop.h"
#include "logger/program/real_host.h"
#include "logger/state/program_state.h"
#include "logger/system/platform.h"
#include "logger/system/stop_signals.h"

namespace {

bool displayAvailable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fputs(
            "Kelvinor: Kein Bildschirm gefunden. Bitte in einer grafischen Sitzung starten "
            "(DISPLAY oder WAYLAND_DISPLAY ist nicht gesetzt).\n",
            stderr);
        return 2;
    }
    // Before Qt starts a thread: they all keep SIGTERM, SIGINT and SIGHUP
    // blocked, so a session's end or a kill stops the recording as the stop
    // button does instead of ending the process without the log's end block.
    const std::function<bool(std::int64_t)> stopSignal = kelvinor::takeStopSignals();
    QApplication application(argc, argv);
    kelvinor::useWindowsGuiMetrics(application);
    kelvinor::RealHost real(nullptr, [&] { return stopSignal(0); });
    kelvinor::ProgramState state;
    kelvinor::endProcess(kelvinor::runProgram(state, real.host(), KELVINOR_PROGRAM_DEMO_MODE));
}
