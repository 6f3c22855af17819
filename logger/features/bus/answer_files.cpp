#include "logger/features/bus/answer_files.h"

#include <fstream>

#include "logger/data/sensor_table.h"
#include "logger/system/files.h"
#include "logger/text/line_reader.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

constexpr int kFirstSensorLine = 7;
constexpr int kLastSensorLine = 6 + kMaxSensors;

}  // namespace

std::string answerFileName(int port) {
    return "COM" + decimal(port) + "READ.INI";
}

bool answerFileNamesSensors(int port) {
    std::fstream file;
    if (!openForReading(file, answerFileName(port))) return false;
    return !readLines(file, kFirstSensorLine)[kFirstSensorLine - 1].empty();
}

std::vector<std::string> sensorRomsInAnswerFile(int port) {
    std::fstream file;
    openOrCreate(file, answerFileName(port));
    const std::vector<std::string> lines = readLines(file, kLastSensorLine);
    std::vector<std::string> roms;
    std::size_t count = 0;
    for (int i = kFirstSensorLine; i <= kLastSensorLine; ++i) {
        roms.push_back(lines[i - 1].substr(0, 16));
        const std::string_view head = std::string_view(roms.back()).substr(0, 3);
        if (!head.empty() && head != "ROM") ++count;
    }
    roms.resize(count);
    return roms;
}

}  // namespace kelvinor
