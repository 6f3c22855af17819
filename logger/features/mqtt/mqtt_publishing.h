#pragma once
// Publishing to an MQTT broker beside the log, switched on by "KelvMqtt.ini".
// Without that file none of these does anything.
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Reads "KelvMqtt.ini" and, when it names a broker, starts the connection
// (which runs on its own) and announces the sensors. What the file holds
// that was ignored or refused goes to the bus log.
void startMqtt(ProgramState& state, Host& host);

// The Home Assistant discovery of the sensors with their names and the
// interval, when it differs from what was announced before.
void announceSensors(ProgramState& state);

// The latest row's readings and alarms; never waits for the broker.
void publishRow(ProgramState& state, Host& host);

}  // namespace kelvinor
