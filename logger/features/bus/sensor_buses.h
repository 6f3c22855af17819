#pragma once
// The two sensor buses and the choice between them.
#include <memory>

#include "logger/seams/sensor_bus.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Three simulated sensors on COM1; the scan batches still run.
std::unique_ptr<SensorBus> makeDemoBus();
// The bus tool driven through the batch files and their answer files.
std::unique_ptr<SensorBus> makeBatchBus();

// state.bus from state.demoMode: 1 the demonstration bus, else the batch bus.
void chooseSensorBus(ProgramState& state);

}  // namespace kelvinor
