#include "logger/features/alarm/alarm_check.h"

#include "logger/text/number_text.h"

namespace kelvinor {

Alarms checkReadings(const SensorTable& sensors, const SensorReadings& readings) {
    Alarms alarms;
    const Reading none{std::nullopt, Fault::NoReading, ""};
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        const Reading& reading = i < readings.readings.size() ? readings.readings[i] : none;
        if (reading.isFault()) alarms.push_back({k, AlarmKind::Fault});
        if (!reading.celsius) continue;
        if (*reading.celsius < sensors[i].coldBelow) alarms.push_back({k, AlarmKind::Cold});
        if (*reading.celsius > sensors[i].warmAbove) alarms.push_back({k, AlarmKind::Warm});
    }
    return alarms;
}

void checkReadings(ProgramState& state) {
    state.alarms = checkReadings(state.sensors, state.lastReadings);
}

std::string alarmEntry(const SensorTable& sensors, const Alarm& alarm) {
    const Sensor& sensor = sensors.at(static_cast<std::size_t>(alarm.sensor) - 1);
    const std::string number = decimal(alarm.sensor);
    switch (alarm.kind) {
        case AlarmKind::Fault:
            return "FEHLMESSUNG? (Sensor Nr. " + number + "/ID " + sensor.rom + "/'" +
                   sensor.alias + "')";
        case AlarmKind::Cold:
            return "'-' an Sensor Nr. " + number + "/'" + sensor.alias + "'";
        case AlarmKind::Warm:
            break;
    }
    return "'+' an Sensor Nr. " + number + "/'" + sensor.alias + "'";
}

std::string alarmText(const SensorTable& sensors, const Alarms& alarms) {
    std::string text;
    for (const Alarm& alarm : alarms) text += alarmEntry(sensors, alarm) + "\t";
    return text;
}

}  // namespace kelvinor
