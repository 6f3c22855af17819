#pragma once
// The demonstration's bus: three simulated sensors on COM1.
#include <memory>

#include "logger/seams/sensor_bus.h"

namespace kelvinor {

std::unique_ptr<SensorBus> makeDemoBus();

}  // namespace kelvinor
