#include "logger/core/startup.h"

#include <cstdlib>

#include "logger/alarm/mail_settings.h"
#include "logger/bus/config_files.h"
#include "logger/bus/port_scan.h"
#include "logger/core/cp1252.h"
#include "logger/core/file_names.h"
#include "logger/core/files.h"
#include "logger/core/number_text.h"
#include "logger/sound/sound_cues.h"
#include "logger/ui/main_window.h"

namespace kelvinor {

std::string defaultLogFilePrefix() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return "KELVINOR";
    std::string prefix = utf8ToCp1252(home);
    if (!prefix.ends_with('/')) prefix += '/';
    return prefix + "KELVINOR";
}

void clearScheduleTexts(ProgramState& state) {
    state.lastRecordDate = state.nextRecordDate = "--.--.--";
    state.lastRecordTime = state.nextRecordTime = "--:--:--";
    state.lastRecordWeekday = state.nextRecordWeekday = "-------";
    state.intervalSecondsText = state.intervalMinutesText = "-";
    state.intervalHoursText = state.intervalDaysText = "-";
}

void startUp(ProgramState& state, Host& host, int demoMode) {
    // 1. A cleared state.
    state = ProgramState{};

    // 2. Fixed switches and names.
    state.demoMode = demoMode;
    state.soundEnabled = 1;
    state.clockRunning = 0;
    state.logFileName = defaultLogFilePrefix();
    state.logFileExtension = ".KLV";
    state.lastLogFileName = "LastLogFile.dat";
    state.colourGrey = kLightGrey;
    state.colourBlue = kBlue;
    state.colourRed = kRed;
    state.commandInterpreter = "command";

    // 3. The scan parameters of the ports 1 to 9.
    state.portCommand.assign(11, std::string());
    for (int n = 1; n <= 9; ++n) state.portCommand[n] = "/cCOM" + decimal(n) + "READ.BAT";

    // 4. The read parameter, the line table's bound, the simulated temperatures.
    state.dataLineCommand = "/cDATALINE.BAT";
    state.sensorLineLastIndex = kSensorLineCount - 1;
    state.demoTemperature = {0.0, 5.0, 30.0, -2.0};

    // 5. The line table.
    state.sensors.sensorLine.assign(kSensorLineCount, std::string());

    // 6. No sensors yet, and the schedule placeholders.
    state.sensorPort = 0;
    state.sensorCount = 0;
    state.soundReady = 0;
    clearScheduleTexts(state);

    // 7. and 8. The clock program's size; e-mail only with its settings file and sockets.
    state.clockProgramSize = fileSize(kClockProgramFile);
    checkMailEnabled(state, host);

    // 9. Sound.
    setUpSound(state, host);

    // 10. The port with the sensors.
    scanPorts(state, host);

    // 11. The read time and the bus tool's settings.
    loadReadTime(state);
    if (state.demoMode == 0) patchToolSettings(state);

    // 12. The e-mail settings.
    loadMailSettings(state);

    // 13. The sensor table.
    buildSensorTable(state);

    // 14. The main window and its event loop.
    openMainWindow(state, host);
    runEventLoop(state, host);
}

void endProgram(ProgramState& state, Host& host) {
    host.sound.close();
    state.mailMessage.reset();
    stopNetwork();
    host.desktop.closeAll();
    host.exitProcess(0);
    std::abort();  // exitProcess never returns
}

}  // namespace kelvinor
