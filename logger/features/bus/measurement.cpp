#include "logger/features/bus/measurement.h"

#include <fstream>

#include "logger/features/bus/bus_command.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/seams/control_ids.h"
#include "logger/seams/file_names.h"
#include "logger/seams/files.h"
#include "logger/seams/program_start.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"
#include "logger/text/number_text.h"

namespace kelvinor {

bool readDataLine(ProgramState& state, Host& host, const GiveUp& giveUp) {
    return state.bus->readDataLine(state, host, giveUp);
}

bool readDataLineFile(ProgramState& state, Host& host, const GiveUp& giveUp) {
    if (!runBusCommand(state, host, state.dataLineCommand, giveUp)) return false;
    std::fstream file;
    if (!openForReading(file, kDataLineFile)) {
        state.dataLine.clear();
        return true;
    }
    // The line also ends at a zero byte.
    std::string line = readLines(file, 1)[0];
    line.resize(std::min(line.size(), line.find('\0')));
    state.dataLine = std::move(line);
    return true;
}

void composeDemoReading(ProgramState& state) {
    auto& t = state.demoTemperature;
    state.dataLine = "0\t" + formatTwoDecimals(t[1]) + "\t" + formatTwoDecimals(t[2]) + "\t" +
                     formatTwoDecimals(t[3]);
    t[1] = t[1] < 80.0 ? t[1] + 0.5 : 5.0;
    t[2] = t[2] < 80.0 ? t[2] + 0.3 : 30.0;
    t[3] = t[3] > -35.0 ? t[3] - 0.1 : -2.0;
}

void splitDataLine(ProgramState& state) {
    auto& values = state.sensors.sensorValue;
    values.resize(static_cast<std::size_t>(std::max(state.sensorCount, 0)) + 1);
    const std::string work = state.dataLine + '\t';
    std::string_view rest = work;
    bool exhausted = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t tab = exhausted ? std::string_view::npos : rest.find('\t');
        if (tab == std::string_view::npos) {
            exhausted = true;
            values[i].clear();
            continue;
        }
        values[i] = std::string(rest.substr(0, tab));
        rest.remove_prefix(tab + 1);
    }
}

bool readAllSensors(ProgramState& state, Host& host, const GiveUp& giveUp) {
    if (!state.bus->readRow(state, host, giveUp)) return false;
    splitDataLine(state);
    return true;
}

void instantQuery(ProgramState& state, Host& host) {
    for (int id = renameButton; id <= infoButton; ++id) host.desktop.setEnabled(id, false);
    playSoundCue(state, host, clickCue);
    readDataLine(state, host);
    splitDataLine(state);

    const std::string date = formatDateMask(kDateMask, host.clock.localNow());
    const std::string time = formatDateMask(kTimeMask, host.clock.localNow());
    std::string lines;
    for (int k = 1; k <= state.sensorCount; ++k) {
        lines += state.bus->instantValueText(state, k) + "°C = Sensor Nr. "_cp + decimal(k) +
                 "/ID " + state.sensors.sensorLine[6 + k].substr(0, 16) + " = '" +
                 state.sensors.sensorAlias[k] + "'\r";
    }
    showMessage(host, "Kelvinor: Ergebnis der Sensor-Sofort-Abfrage" + std::string(30, ' '),
                "\rLog-Datum: " + date + "\rLog-Uhrzeit: " + time + "\r\r" + lines + "\r");
    playSoundCue(state, host, clickCue);
    host.desktop.setText(statusLine, "STATUS: Die Sensor-Sofort-Abfrage wurde ausgeführt..."_cp);
    for (int id : kCommandButtons) host.desktop.setEnabled(id, true);
}

}  // namespace kelvinor
