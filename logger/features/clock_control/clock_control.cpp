#include "logger/features/clock_control/clock_control.h"

#include "logger/constants/control_ids.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/system/platform.h"

namespace kelvinor {
namespace {

bool clockInstalled(const ProgramState& state) {
    return state.clockProgramSize >= 0;
}

}  // namespace

void startClock(ProgramState& state, Host& host) {
    if (host.desktop.showsClock()) {
        host.desktop.showClock(true);
        state.clockRunning = 1;
        return;
    }
    if (!clockInstalled(state)) return;
    // In a group of its own under a guardian: the clock ends with this
    // program however it ends, also when it is killed.
    state.clockProcess =
        startProgram(host, std::string(clockProgramFile()), "", "", kKeepHandle | kOwnGroup);
    state.clockRunning = 1;
}

void stopClock(ProgramState& state, Host& host) {
    if (state.clockRunning != 1) return;
    if (host.desktop.showsClock())
        host.desktop.showClock(false);
    else if (state.clockProcess > 1)
        host.starter.terminate(state.clockProcess);
    state.clockProcess = 0;
    state.clockRunning = 0;
}

void toggleClock(ProgramState& state, Host& host) {
    if (clockInstalled(state) || host.desktop.showsClock()) {
        playSoundCue(state, host, clickCue);
        if (state.clockRunning == 0)
            startClock(state, host);
        else
            stopClock(state, host);
        return;
    }
    showMessage(host, "Kelvinor: Problem",
                "Die Datei '" + std::string(clockProgramFile()) + "' ist nicht installiert!");
    host.desktop.setChecked(clockToggle, false);
}

}  // namespace kelvinor
