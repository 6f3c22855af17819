#include "logger/features/bus/demo_bus.h"

#include <array>

#include "logger/features/bus/data_line.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

class DemoBus final : public SensorBus {
  public:
    // The scan batches still run; their answers are not read.
    PortsFound findSensorPorts() override { return {{1}, true}; }
    // No settings are read in the demonstration.
    ReadTime readTime() override { return defaultReadTime(); }
    void prepareTool(const ReadTime&) override {}
    std::vector<std::string> listSensors(int) override {
        return {"DemoSensor 1", "DemoSensor 2", "DemoSensor 3"};
    }
    // A row takes the simulated temperatures, which then move on. The instant
    // query shows the values the next row will have and moves nothing
    // (intended: the demonstration behaves so).
    std::optional<SensorReadings> read(ReadFor purpose, int sensorCount, Host&,
                                       const GiveUp&) override {
        SensorReadings readings =
            splitDataLine("0\t" + formatTwoDecimals(t_[0]) + "\t" + formatTwoDecimals(t_[1]) +
                              "\t" + formatTwoDecimals(t_[2]),
                          sensorCount);
        if (purpose == ReadFor::Row) moveOn();
        return readings;
    }

  private:
    // Each sensor climbs or falls in steps and starts again at its bound.
    void moveOn() {
        t_[0] = t_[0] < 80.0 ? t_[0] + 0.5 : 5.0;
        t_[1] = t_[1] < 80.0 ? t_[1] + 0.3 : 30.0;
        t_[2] = t_[2] > -35.0 ? t_[2] - 0.1 : -2.0;
    }

    std::array<double, 3> t_{5.0, 30.0, -2.0};
};

}  // namespace

std::unique_ptr<SensorBus> makeDemoBus() {
    return std::make_unique<DemoBus>();
}

}  // namespace kelvinor
