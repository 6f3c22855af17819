#pragma once
// The choice of the sensor bus and the start-up steps that go through it.
#include "logger/state/program_state.h"

namespace kelvinor {

// state.bus from state.demoMode: 1 the demonstration bus, else the batch bus
// with state.commandInterpreter and state.dataLineCommand.
void chooseSensorBus(ProgramState& state);

// state.readTime from the bus.
void loadReadTime(ProgramState& state);
// Gives the bus tool state.readTime.
void patchToolSettings(const ProgramState& state);
// state.sensors: the sensors on state.sensorPort, named S1, S2, … and with
// the thresholds that let every reading pass.
void buildSensorTable(ProgramState& state);

}  // namespace kelvinor
