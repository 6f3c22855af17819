#include "logger/features/bus/config_files.h"

#include <fstream>

#include "logger/seams/file_names.h"
#include "logger/seams/files.h"
#include "logger/text/line_reader.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

constexpr std::string_view kDefaultReadTimeLine = "READ_TIME 1000";
constexpr int kDefaultReadTimeMs = 1000;
constexpr int kLastAnswerLine = 67;

}  // namespace

std::string answerFileName(int port) {
    return "COM" + decimal(port) + "READ.INI";
}

void loadReadTime(ProgramState& state) {
    state.bus->loadReadTime(state);
}

void patchToolSettings(const ProgramState& state) {
    state.bus->prepareTool(state);
}

void useDefaultReadTime(ProgramState& state) {
    state.readTimeLine = kDefaultReadTimeLine;
    state.readTimeMs = kDefaultReadTimeMs;
}

void readTimeFromSettings(ProgramState& state) {
    // Created empty when missing, never written: the defaults stay in memory.
    std::fstream file;
    openOrCreate(file, kProgramSettingsFile);
    state.readTimeLine = readLines(file, 1)[0];
    const std::string_view line = state.readTimeLine;
    const std::string_view lastFour = line.size() > 4 ? line.substr(line.size() - 4) : line;
    state.readTimeMs = static_cast<int>(readIntegerPrefix(lastFour));
    if (state.readTimeLine.empty()) useDefaultReadTime(state);
}

void writeReadTimeToToolSettings(const ProgramState& state) {
    std::fstream file;
    if (!openOrCreate(file, kToolSettingsFile)) return;
    LineReader reader(file);
    reader.next();  // the first line stays as it is
    // The READ_TIME line goes in place right after the first line's end; the
    // bytes behind it keep their values and the file is never shortened.
    const auto position = file.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    if (position == std::streampos(-1)) return;
    file.clear();
    file.seekp(position);
    const std::string patch = state.readTimeLine + '\f';
    file.write(patch.data(), static_cast<std::streamsize>(patch.size()));
    file.flush();
}

void sensorsFromAnswerFile(ProgramState& state) {
    SensorTable& table = state.sensors;
    std::fstream file;
    openOrCreate(file, answerFileName(state.sensorPort));
    const std::vector<std::string> lines = readLines(file, kLastAnswerLine);
    for (int i = 1; i <= 6; ++i) table.sensorLine[i] = lines[i - 1];
    for (int i = 7; i <= kLastAnswerLine; ++i) {
        std::string entry = lines[i - 1].substr(0, 16);
        if (entry.starts_with("10")) entry += " ist ein Temperatursensor vom Typ DS1820";
        const std::string_view head = std::string_view(entry).substr(0, 3);
        if (!head.empty() && head != "ROM") ++state.sensorCount;
        table.sensorLine[i] = std::move(entry);
    }
}

void buildSensorTable(ProgramState& state) {
    SensorTable& table = state.sensors;
    if (table.sensorLine.size() < kSensorLineCount) table.sensorLine.resize(kSensorLineCount);
    state.bus->listSensors(state);
    const auto entries = static_cast<std::size_t>(state.sensorCount) + 1;
    table.sensorValue.assign(entries, std::string());
    table.alarmMinus.assign(entries, 0.0);
    table.alarmPlus.assign(entries, 0.0);
    table.sensorAlias.assign(entries, std::string());
    for (int k = 1; k <= state.sensorCount; ++k) {
        table.alarmMinus[k] = -56.0;
        table.alarmPlus[k] = 126.0;
        table.sensorAlias[k] = "S" + decimal(k);
    }
}

}  // namespace kelvinor
