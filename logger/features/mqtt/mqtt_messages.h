#pragma once
// The MQTT messages of the program, made from its typed records: the
// readings and alarms of a row, and the Home Assistant discovery of its
// sensors. Texts of the program (CP1252) go out as UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "logger/data/alarm.h"
#include "logger/data/sensor_table.h"
#include "logger/seams/message_broker.h"
#include "logger/text/date_mask.h"

namespace kelvinor {

// A sensor's name in topics and identifiers: its ROM code as the log shows
// it, with every character but letters, digits, "-" and "_" as "_"
// ("DemoSensor 1" becomes "DemoSensor_1").
std::string topicNameOf(std::string_view rom);

// The logger's name in Home Assistant identifiers: the topic without a
// leading "kelvinor/", as a topic name.
std::string nodeNameOf(std::string_view topic);

// "2026-12-09T18:40:05+01:00"
std::string isoLocalTime(const LocalTime& time);

struct RowToPublish {
    const SensorTable& sensors;
    const SensorReadings& readings;
    const Alarms& alarms;
    LocalTime time;
    std::string title;  // CP1252
};

// Per sensor its temperature (not for a fault) and its alarm state, both
// retained; the row as one JSON object; each alarm entry as the logbook
// writes it.
MqttMessages rowMessages(std::string_view topic, const RowToPublish& row);

// Per sensor a temperature sensor and a problem binary sensor under
// "homeassistant", for one device per logger; retained. `intervalMs` 0: no
// recording yet, so the readings do not expire.
MqttMessages discoveryMessages(std::string_view topic, const SensorTable& sensors,
                               std::int64_t intervalMs, std::string_view model);

}  // namespace kelvinor
