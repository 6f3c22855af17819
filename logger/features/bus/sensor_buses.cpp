#include "logger/features/bus/sensor_buses.h"

#include "logger/features/bus/config_files.h"
#include "logger/features/bus/measurement.h"
#include "logger/features/bus/port_scan.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

class DemoBus final : public SensorBus {
  public:
    void findSensorPort(ProgramState& state, Host& host) override { announceDemoPort(state, host); }
    void loadReadTime(ProgramState& state) override { useDefaultReadTime(state); }
    void prepareTool(const ProgramState&) override {}
    void listSensors(ProgramState& state) override {
        state.sensors.sensorLine[7] = "DemoSensor 1";
        state.sensors.sensorLine[8] = "DemoSensor 2";
        state.sensors.sensorLine[9] = "DemoSensor 3";
        state.sensorCount = 3;
    }
    // The instant query reads nothing new: it shows the simulated sensors'
    // next values (intended: the demonstration behaves so).
    bool readDataLine(ProgramState&, Host&, const GiveUp&) override { return true; }
    bool readRow(ProgramState& state, Host&, const GiveUp&) override {
        composeDemoReading(state);
        return true;
    }
    std::string instantValueText(const ProgramState& state, int k) override {
        return k <= 3 ? formatTemperature(state.demoTemperature[k])
                      : withDecimalComma(state.sensors.sensorValue[k]);
    }
};

class BatchBus final : public SensorBus {
  public:
    void findSensorPort(ProgramState& state, Host& host) override {
        findPortInAnswerFiles(state, host);
    }
    void loadReadTime(ProgramState& state) override { readTimeFromSettings(state); }
    void prepareTool(const ProgramState& state) override { writeReadTimeToToolSettings(state); }
    void listSensors(ProgramState& state) override { sensorsFromAnswerFile(state); }
    bool readDataLine(ProgramState& state, Host& host, const GiveUp& giveUp) override {
        return readDataLineFile(state, host, giveUp);
    }
    bool readRow(ProgramState& state, Host& host, const GiveUp& giveUp) override {
        return readDataLineFile(state, host, giveUp);
    }
    std::string instantValueText(const ProgramState& state, int k) override {
        return withDecimalComma(state.sensors.sensorValue[k]);
    }
};

}  // namespace

std::unique_ptr<SensorBus> makeDemoBus() {
    return std::make_unique<DemoBus>();
}

std::unique_ptr<SensorBus> makeBatchBus() {
    return std::make_unique<BatchBus>();
}

void chooseSensorBus(ProgramState& state) {
    state.bus = state.demoMode == 1 ? makeDemoBus() : makeBatchBus();
}

}  // namespace kelvinor
