#pragma once
// The data line that a read delivers, "0\t21.50\t85.00": a first field of
// its own, then one temperature per sensor with a decimal point.
#include <string>

#include "logger/data/sensor_table.h"

namespace kelvinor {

// The line split at its tabs into one reading per sensor. The DS1820's error
// code (exactly "85.00", "85,00" or "85") is a fault that still carries its
// number; a missing field, or one without a number, is a fault without one.
// A genuine 0.00 is a value.
SensorReadings splitDataLine(std::string line, int sensorCount);

}  // namespace kelvinor
