#include "logger/features/bus/sensor_buses.h"

#include "logger/features/bus/batch_bus.h"
#include "logger/features/bus/demo_bus.h"
#include "logger/text/number_text.h"

namespace kelvinor {

void chooseSensorBus(ProgramState& state) {
    state.bus = state.demoMode == 1 ? makeDemoBus()
                                    : makeBatchBus(state.commandInterpreter, state.dataLineCommand);
}

void loadReadTime(ProgramState& state) {
    state.readTime = state.bus->readTime();
}

void patchToolSettings(const ProgramState& state) {
    state.bus->prepareTool(state.readTime);
}

void buildSensorTable(ProgramState& state) {
    state.sensors.clear();
    for (std::string& rom : state.bus->listSensors(state.sensorPort)) {
        const std::string alias = "S" + decimal(static_cast<int>(state.sensors.size()) + 1);
        state.sensors.push_back(Sensor{std::move(rom), alias, 126.0, -56.0});
    }
}

}  // namespace kelvinor
