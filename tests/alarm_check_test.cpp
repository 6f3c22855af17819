// The alarm check of one row, from typed readings to the entries the log row,
// the logbook and the e-mail write.
#include "logger/features/alarm/alarm_check.h"

#include <gtest/gtest.h>

#include "logger/features/bus/data_line.h"

namespace kelvinor {
namespace {

TEST(AlarmCheck, FaultsAndThresholdsPerSensor) {
    const SensorTable sensors = {{"10A8B16B0108005D", "Vorlauf", 25.0, 2.0},
                                 {"DemoSensor 2",
                                  "R\xFC"
                                  "cklauf",
                                  126.0, -56.0}};
    const AlarmKind fault = AlarmKind::Fault, cold = AlarmKind::Cold, warm = AlarmKind::Warm;
    struct Case {
        std::string line;
        Alarms alarms;
    };
    const Case cases[] = {
        {"0\t21.50\t30.00", {}},
        // Strictly beyond a threshold; the thresholds themselves pass.
        {"0\t25.00\t2.00", {}},
        {"0\t25.01\t-56.01", {{1, warm}, {2, cold}}},
        // A genuine 0.00 is a value and below the cold threshold of 2.
        {"0\t0.00\t0.00", {{1, cold}}},
        // The fault code is a fault and is tested against the thresholds too.
        {"0\t85.00\t85", {{1, fault}, {1, warm}, {2, fault}}},
        // A missing reading is a fault only: it is not 0 °C below the cold threshold.
        {"0\t\t-60", {{1, fault}, {2, cold}}},
        {"0\tabc", {{1, fault}, {2, fault}}},
        {"", {{1, fault}, {2, fault}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkReadings(sensors, splitDataLine(c.line, 2)), c.alarms) << c.line;

    EXPECT_EQ(alarmText(sensors, {{1, fault}, {1, cold}, {2, warm}}),
              "FEHLMESSUNG? (Sensor Nr. 1/ID 10A8B16B0108005D/'Vorlauf')\t"
              "'-' an Sensor Nr. 1/'Vorlauf'\t"
              "'+' an Sensor Nr. 2/'R\xFC"
              "cklauf'\t");
    EXPECT_EQ(alarmText(sensors, {}), "");
}

}  // namespace
}  // namespace kelvinor
