#include "logger/ui/clock_control.h"

#include "logger/core/file_names.h"
#include "logger/sound/sound_cues.h"
#include "logger/ui/control_ids.h"
#include "logger/ui/program_start.h"

namespace kelvinor {
namespace {

bool clockInstalled(const ProgramState& state) {
    return state.clockProgramSize >= 0;
}

}  // namespace

void startClock(ProgramState& state, Host& host) {
    if (!clockInstalled(state)) return;
    state.clockProcess = startProgram(host, std::string(kClockProgramFile), "", "", kKeepHandle);
    state.clockRunning = 1;
}

void stopClock(ProgramState& state, Host& host) {
    if (!clockInstalled(state) || state.clockRunning != 1) return;
    if (state.clockProcess > 1) host.starter.terminate(state.clockProcess);
    state.clockProcess = 0;
    state.clockRunning = 0;
}

void toggleClock(ProgramState& state, Host& host) {
    if (clockInstalled(state)) {
        playSoundCue(state, host, clickCue);
        if (state.clockRunning == 0)
            startClock(state, host);
        else
            stopClock(state, host);
        return;
    }
    showMessage(host, "Kelvinor: Problem",
                "Die Datei '" + std::string(kClockProgramFile) + "' ist nicht installiert!");
    host.desktop.setChecked(clockToggle, false);
}

}  // namespace kelvinor
