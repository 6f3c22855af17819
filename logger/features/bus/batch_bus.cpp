#include "logger/features/bus/batch_bus.h"

#include <algorithm>
#include <fstream>

#include "logger/constants/file_names.h"
#include "logger/features/bus/answer_files.h"
#include "logger/features/bus/bus_command.h"
#include "logger/features/bus/data_line.h"
#include "logger/features/bus/tool_settings.h"
#include "logger/system/bus_log.h"
#include "logger/system/files.h"
#include "logger/text/line_reader.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

// The first line of "DATALINE.TXT" (or another file), which also ends at a
// zero byte; empty when the batch left no file.
std::string dataLineFromFile(std::string_view name = kDataLineFile) {
    std::fstream file;
    if (!openForReading(file, name)) return {};
    std::string line = readLines(file, 1)[0];
    line.resize(std::min(line.size(), line.find('\0')));
    return line;
}

class BatchBus final : public SensorBus {
  public:
    BatchBus(std::string interpreter, std::string dataLineCommand)
        : interpreter_(std::move(interpreter)), dataLineCommand_(std::move(dataLineCommand)) {}

    PortsFound findSensorPorts() override {
        PortsFound found;
        for (int n = 1; n <= 9; ++n)
            if (answerFileNamesSensors(n)) found.ports.push_back(n);
        return found;
    }
    ReadTime readTime() override { return readTimeFromSettings(); }
    // The read time start-up loaded also bounds every read batch.
    void prepareTool(const ReadTime& readTime) override {
        writeReadTimeToToolSettings(readTime);
        readTimeMs_ = readTime.ms;
    }
    std::vector<std::string> listSensors(int port) override { return sensorRomsInAnswerFile(port); }
    // The instant query and a row read alike: the data-line batch, then its line.
    // A batch that runs out of time leaves the sensors it read; the others
    // read 85.00, the fault code, and the bus log says so.
    std::optional<SensorReadings> read(ReadFor, int sensorCount, Host& host,
                                       const GiveUp& giveUp) override {
        deleteFile(kDataLinePartFile);
        const std::int64_t limitMs = readLimitMs(readTimeMs_, sensorCount);
        switch (runBoundedBusCommand(interpreter_, host, dataLineCommand_, limitMs, giveUp)) {
            case BusRun::GivenUp:
                return std::nullopt;
            case BusRun::Finished:
                return splitDataLine(dataLineFromFile(), sensorCount);
            case BusRun::OutOfTime:
                break;
        }
        std::string line = dataLineFromFile(kDataLinePartFile);
        if (line.empty()) line = "0";
        const int read = static_cast<int>(std::count(line.begin(), line.end(), '\t'));
        for (int k = read; k < sensorCount; ++k) line += "\t85.00";
        appendBusLog("DATALINE:",
                     "no end within " + limitText(limitMs) + ": 85.00 for sensor " +
                         decimal(read + 1) +
                         (read + 1 < sensorCount ? " to " + decimal(sensorCount) : std::string()));
        return splitDataLine(line, sensorCount);
    }

  private:
    std::string interpreter_;
    std::string dataLineCommand_;
    int readTimeMs_ = defaultReadTime().ms;
};

}  // namespace

std::unique_ptr<SensorBus> makeBatchBus(std::string interpreter, std::string dataLineCommand) {
    return std::make_unique<BatchBus>(std::move(interpreter), std::move(dataLineCommand));
}

}  // namespace kelvinor
