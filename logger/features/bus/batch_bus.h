#pragma once
// The bus tool driven through the batch files and the files they leave.
#include <memory>
#include <string>

#include "logger/seams/sensor_bus.h"

namespace kelvinor {

// `interpreter` runs the batches; `dataLineCommand` is its parameter for the
// data-line batch ("/cDATALINE.BAT").
std::unique_ptr<SensorBus> makeBatchBus(std::string interpreter, std::string dataLineCommand);

}  // namespace kelvinor
