#pragma once
// What a Kelvinor log file holds, read for drawing: one entry per recording
// (a continued log holds several), each with its sensors, the time of every
// row and every sensor's readings in columns.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kurven {

struct Sensor {
    std::string alias;  // UTF-8, as the column header names it
    double warm = 126.0;
    double cold = -56.0;
};

enum class MarkKind { Warm, Cold, Fault };

// An alarm or fault entry of a row, on the sensor it names.
struct Mark {
    std::size_t row;
    std::size_t sensor;  // 0-based
    MarkKind kind;
};

struct Recording {
    std::string title;  // UTF-8, empty without a measurement title
    std::vector<Sensor> sensors;
    // Local wall-clock time of each row in seconds since 1970-01-01 00:00,
    // counted as if every day had 86,400 seconds (no time zone involved).
    std::vector<std::int64_t> times;
    // readings[sensor][row]; NaN where a row has no number for the sensor
    // or the sensor's fault code.
    std::vector<std::vector<double>> readings;
    std::vector<Mark> marks;
    // The column header has been read: the sensors are known and rows may
    // follow. A header cut short (a stop or power loss between its two
    // appends) never gets there.
    bool headerComplete = false;
};

struct LogDocument {
    std::vector<Recording> recordings;
    std::size_t skippedRows = 0;  // lines among the rows that are no row
    bool sawHeading = false;
};

// Kelvinor reads at most 61 sensors; a file that names more columns than
// this is read only as far as these (it cannot come from Kelvinor).
inline constexpr std::size_t kMostSensors = 250;

// The DS1820's range: thresholds outside it are the untouched defaults.
inline bool thresholdIsSet(double value) {
    return value >= -55.0 && value <= 125.0;
}

}  // namespace kurven
