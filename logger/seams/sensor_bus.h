#pragma once
// SensorBus: where the sensors and their readings come from. The
// demonstration bus simulates three sensors; the batch bus drives the bus
// tool through batch files. Start-up chooses one from the edition, and the
// rest of the program never asks which it has.
#include <functional>
#include <string>

namespace kelvinor {

struct ProgramState;
struct Host;

// Asked again and again while a batch runs: true ends the batch.
using GiveUp = std::function<bool()>;

class SensorBus {
  public:
    virtual ~SensorBus() = default;

    // After the nine scan batches have run: sets state.sensorPort to the port
    // that carries sensors (0 when there is none) and tells the user.
    virtual void findSensorPort(ProgramState& state, Host& host) = 0;
    // state.readTimeLine and state.readTimeMs.
    virtual void loadReadTime(ProgramState& state) = 0;
    // Gives the bus tool the read time.
    virtual void prepareTool(const ProgramState& state) = 0;
    // The sensors' lines (from entry 7 of the line table) and state.sensorCount.
    virtual void listSensors(ProgramState& state) = 0;
    // state.dataLine as the instant query sees it; false when given up.
    virtual bool readDataLine(ProgramState& state, Host& host, const GiveUp& giveUp) = 0;
    // state.dataLine for the next row of a recording; false when given up.
    virtual bool readRow(ProgramState& state, Host& host, const GiveUp& giveUp) = 0;
    // The value of sensor k as the instant query shows it, decimal comma.
    virtual std::string instantValueText(const ProgramState& state, int k) = 0;
};

}  // namespace kelvinor
