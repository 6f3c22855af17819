#pragma once
#include "logger/state/program_state.h"

namespace kelvinor {

// What the readings of one row set off, sensor by sensor in the order fault,
// cold, warm. The tests are independent: the DS1820's error code 85 is a
// fault and is also tested against both thresholds; a reading without a
// number is a fault only.
Alarms checkReadings(const SensorTable& sensors, const SensorReadings& readings);

// The same into state.alarms, from state.lastReadings.
void checkReadings(ProgramState& state);

// One alarm as the logbook writes it, without the tab that ends it there.
std::string alarmEntry(const SensorTable& sensors, const Alarm& alarm);

// The alarms as the log row, the logbook and the e-mail write them: one
// entry per alarm, each ended by a tab; empty when there is none.
std::string alarmText(const SensorTable& sensors, const Alarms& alarms);

}  // namespace kelvinor
