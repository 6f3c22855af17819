#include "logger/features/bus/measurement.h"

#include "logger/constants/control_ids.h"
#include "logger/features/bus/data_line.h"
#include "logger/features/host_calls/host_calls.h"
#include "logger/features/sound/sound_cues.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"
#include "logger/text/number_text.h"

namespace kelvinor {

bool readAllSensors(ProgramState& state, Host& host, const GiveUp& giveUp) {
    std::optional<SensorReadings> readings =
        state.bus->read(ReadFor::Row, state.sensorCount(), host, giveUp);
    if (!readings) return false;
    state.lastReadings = std::move(*readings);
    return true;
}

void instantQuery(ProgramState& state, Host& host) {
    for (int id = renameButton; id <= infoButton; ++id) host.desktop.setEnabled(id, false);
    playSoundCue(state, host, clickCue);
    // Nothing gives the query up, so a read always comes back.
    const SensorReadings readings =
        state.bus->read(ReadFor::InstantQuery, state.sensorCount(), host, {})
            .value_or(splitDataLine("", state.sensorCount()));

    const std::string date = formatDateMask(kDateMask, host.clock.localNow());
    const std::string time = formatDateMask(kTimeMask, host.clock.localNow());
    std::string lines;
    for (int k = 1; k <= state.sensorCount(); ++k) {
        const Sensor& sensor = state.sensors[k - 1];
        // The value as the tool wrote it, with a decimal comma.
        lines += withDecimalComma(readings.readings[k - 1].asDelivered) + "°C = Sensor Nr. "_cp +
                 decimal(k) + "/ID " + sensor.rom + " = '" + sensor.alias + "'\r";
    }
    showMessage(host, "Kelvinor: Ergebnis der Sensor-Sofort-Abfrage" + std::string(30, ' '),
                "\rLog-Datum: " + date + "\rLog-Uhrzeit: " + time + "\r\r" + lines + "\r");
    playSoundCue(state, host, clickCue);
    host.desktop.setText(statusLine, "STATUS: Die Sensor-Sofort-Abfrage wurde ausgeführt..."_cp);
    for (int id : kCommandButtons) host.desktop.setEnabled(id, true);
}

}  // namespace kelvinor
