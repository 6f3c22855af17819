#pragma once
// SensorBus: where the sensors and their readings come from. The
// demonstration bus simulates three sensors; the batch bus drives the bus
// tool through batch files and reads the files they leave. Start-up chooses
// one from the edition; the bus answers with typed records and writes
// nothing into the program's state.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "logger/data/sensor_table.h"
#include "logger/seams/host.h"

namespace kelvinor {

// Asked again and again while a batch runs: true ends the batch.
using GiveUp = std::function<bool()>;

// The bus tool's answer time, as the settings line that holds it.
struct ReadTime {
    std::string line;  // "READ_TIME 1000"
    int ms = 0;
};

// Where no settings give one: the demonstration, an empty settings line.
inline ReadTime defaultReadTime() {
    return {"READ_TIME 1000", 1000};
}

// The ports whose sensors answered the scan, in the order they were checked.
struct PortsFound {
    std::vector<int> ports;
    bool simulated = false;  // the demonstration's port
};

enum class ReadFor { InstantQuery, Row };

class SensorBus {
  public:
    virtual ~SensorBus() = default;

    // After the nine scan batches have run.
    virtual PortsFound findSensorPorts() = 0;
    virtual ReadTime readTime() = 0;
    // Gives the bus tool the read time.
    virtual void prepareTool(const ReadTime& readTime) = 0;
    // The ROM codes of the sensors on `port`, in the order a read delivers them.
    virtual std::vector<std::string> listSensors(int port) = 0;
    // One read of `sensorCount` sensors; nothing when `giveUp` ended it.
    virtual std::optional<SensorReadings> read(ReadFor purpose, int sensorCount, Host& host,
                                               const GiveUp& giveUp) = 0;
};

}  // namespace kelvinor
