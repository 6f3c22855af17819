#pragma once
// The sensors as the port scan found them and the user named them, and what
// one read of them delivered. Plain records: the German texts are made where
// they are shown or written.
#include <optional>
#include <string>
#include <vector>

namespace kelvinor {

inline constexpr int kMaxSensors = 61;

struct Sensor {
    // The first 16 characters of its line in the answer file: the ROM code
    // ("10A8B16B0108005D"), or "DemoSensor 1" in the demonstration.
    std::string rom;
    std::string alias;
    double warmAbove = 126.0;  // a reading above it is a warm alarm
    double coldBelow = -56.0;  // a reading below it is a cold alarm

    // Family code 10: a DS1820, which the log header names as such.
    bool isDs1820() const { return rom.starts_with("10"); }
    bool operator==(const Sensor&) const = default;
};

// Sensor k (counted from 1 wherever it is shown) is entry k - 1.
using SensorTable = std::vector<Sensor>;

enum class Fault {
    None,
    SensorCode,  // the DS1820's error code, +85 °C
    NoReading,   // the field was missing or held no number
};

// One sensor's reading of one read.
struct Reading {
    // The number the field starts with; absent when it holds none.
    std::optional<double> celsius;
    Fault fault = Fault::None;
    // The field as the bus tool wrote it (decimal point): the log row and the
    // messages show the tool's own text, "21.5" as "21,5".
    std::string asDelivered;

    bool isFault() const { return fault != Fault::None; }
};

// One read of all sensors.
struct SensorReadings {
    // The whole line as delivered ("0\t21.50\t85.00"): the log row records it
    // as it came, fields beyond the sensors included.
    std::string line;
    std::vector<Reading> readings;  // one per sensor, in the table's order
};

}  // namespace kelvinor
