#include "logger/application/startup.h"

#include "logger/application/main_window.h"
#include "logger/constants/file_names.h"
#include "logger/features/alarm/mail_settings.h"
#include "logger/features/bus/port_scan.h"
#include "logger/features/bus/sensor_buses.h"
#include "logger/features/mqtt/mqtt_publishing.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/system/durable_files.h"
#include "logger/system/files.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {

void clearScheduleTexts(ProgramState& state) {
    state.lastRecordDate = state.nextRecordDate = "--.--.--";
    state.lastRecordTime = state.nextRecordTime = "--:--:--";
    state.lastRecordWeekday = state.nextRecordWeekday = "-------";
    state.intervalSecondsText = state.intervalMinutesText = "-";
    state.intervalHoursText = state.intervalDaysText = "-";
}

Phase startUp(ProgramState& state, Host& host, int demoMode) {
    // 1. A cleared state.
    state = ProgramState{};

    // 2. Fixed switches and names.
    state.demoMode = demoMode;
    state.soundEnabled = 1;
    state.clockRunning = 0;
    state.logFileName = defaultLogFilePrefix();
    state.logFileExtension = ".KLV";
    state.lastLogFileName = "LastLogFile.dat";
    // A copy half made when the program was killed (as large as the log).
    deleteFile(copyAsideOf(state.lastLogFileName));
    state.colourGrey = kLightGrey;
    state.colourBlue = kBlue;
    state.colourRed = kRed;
    state.commandInterpreter = "command";

    // 3. The scan parameters of the ports 1 to 9.
    state.portCommand.assign(11, std::string());
    for (int n = 1; n <= 9; ++n) state.portCommand[n] = "/cCOM" + decimal(n) + "READ.BAT";

    // 4. and 5. The read parameter and the sensor bus of this edition (the
    // demonstration's simulated temperatures live in its bus).
    state.dataLineCommand = "/cDATALINE.BAT";
    chooseSensorBus(state);

    // 6. No sensors yet, and the schedule placeholders.
    state.sensorPort = 0;
    state.sensors.clear();
    state.soundReady = 0;
    clearScheduleTexts(state);

    // 7. and 8. The clock program's size; e-mail only with its settings file and sockets.
    state.clockProgramSize = fileSize(clockProgramFile());
    checkMailEnabled(state, host);

    // 9. Sound.
    setUpSound(state, host);

    // 10. The port with the sensors.
    if (!scanPorts(state, host)) return Phase::Ending;

    // 11. The read time and the bus tool's settings.
    loadReadTime(state);
    patchToolSettings(state);

    // 12. The e-mail settings.
    loadMailSettings(state);

    // 13. The sensor table.
    buildSensorTable(state);

    // Publishing to an MQTT broker, when "KelvMqtt.ini" asks for it.
    startMqtt(state, host);

    // 14. The main window; its events are served in the idle phase.
    openMainWindow(state, host);
    return Phase::Idle;
}

}  // namespace kelvinor
