#include "logger/features/alarm/alarm_check.h"

#include "logger/text/number_text.h"

namespace kelvinor {

void checkReadings(ProgramState& state) {
    const SensorTable& t = state.sensors;
    state.alarmText.clear();
    for (int k = 1; k <= state.sensorCount; ++k) {
        const std::string& value = t.sensorValue[k];
        const std::string number = decimal(k);
        // A comma ends the number: "85,00" reads as 85.
        state.readingValue = readDecimalPrefix(value);
        if (value == "85.00" || value == "85,00" || value == "85")
            state.alarmText += "FEHLMESSUNG? (Sensor Nr. " + number + "/ID " +
                               t.sensorLine[6 + k].substr(0, 16) + "/'" + t.sensorAlias[k] + "')\t";
        if (state.readingValue < t.alarmMinus[k])
            state.alarmText += "'-' an Sensor Nr. " + number + "/'" + t.sensorAlias[k] + "'\t";
        if (state.readingValue > t.alarmPlus[k])
            state.alarmText += "'+' an Sensor Nr. " + number + "/'" + t.sensorAlias[k] + "'\t";
    }
}

}  // namespace kelvinor
