#include "logger/features/mqtt/mqtt_messages.h"

#include <nlohmann/json.hpp>

#include "logger/features/alarm/alarm_check.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

using Json = nlohmann::ordered_json;

// Never throws: bytes that are not UTF-8 (a ROM text from a bus tool) are replaced.
std::string jsonText(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The first alarm of a sensor in the check's order: fault, cold, warm.
std::string alarmStateOf(const Alarms& alarms, int sensor) {
    for (const Alarm& alarm : alarms) {
        if (alarm.sensor != sensor) continue;
        switch (alarm.kind) {
            case AlarmKind::Fault:
                return "fault";
            case AlarmKind::Cold:
                return "cold";
            case AlarmKind::Warm:
                return "warm";
        }
    }
    return "none";
}

std::string twoDigits(int value) {
    return (value < 10 ? "0" : "") + decimal(value);
}

std::string sensorTopic(std::string_view topic, const Sensor& sensor, std::string_view leaf) {
    return std::string(topic) + "/sensor/" + topicNameOf(sensor.rom) + "/" + std::string(leaf);
}

}  // namespace

std::string topicNameOf(std::string_view rom) {
    std::string name(rom);
    for (char& c : name) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!kept) c = '_';
    }
    return name;
}

std::string nodeNameOf(std::string_view topic) {
    if (topic.starts_with("kelvinor/") && topic.size() > 9) topic.remove_prefix(9);
    return topicNameOf(topic);
}

std::string isoLocalTime(const LocalTime& time) {
    const long offset = time.utcOffsetSeconds;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    return decimal(time.year) + "-" + twoDigits(time.month) + "-" + twoDigits(time.day) + "T" +
           twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second) +
           (offset < 0 ? "-" : "+") + twoDigits(static_cast<int>(minutes / 60)) + ":" +
           twoDigits(static_cast<int>(minutes % 60));
}

MqttMessages rowMessages(std::string_view topic, const RowToPublish& row) {
    MqttMessages messages;
    Json sensors = Json::array();
    for (std::size_t i = 0; i < row.sensors.size(); ++i) {
        const Sensor& sensor = row.sensors[i];
        const Reading* reading =
            i < row.readings.readings.size() ? &row.readings.readings[i] : nullptr;
        const bool hasValue = reading != nullptr && !reading->isFault() && reading->celsius;
        const std::string alarm = alarmStateOf(row.alarms, static_cast<int>(i) + 1);
        if (hasValue)
            messages.push_back({sensorTopic(topic, sensor, "temperature"),
                                formatTwoDecimals(*reading->celsius), true});
        messages.push_back({sensorTopic(topic, sensor, "alarm"), alarm, true});
        sensors.push_back({{"rom", cp1252ToUtf8(sensor.rom)},
                           {"alias", cp1252ToUtf8(sensor.alias)},
                           {"value", hasValue ? Json(*reading->celsius) : Json(nullptr)},
                           {"alarm", alarm}});
    }
    const Json rowObject = {
        {"time", isoLocalTime(row.time)}, {"title", cp1252ToUtf8(row.title)}, {"sensors", sensors}};
    messages.push_back({std::string(topic) + "/row", jsonText(rowObject), false});
    for (const Alarm& alarm : row.alarms)
        messages.push_back(
            {std::string(topic) + "/alarm", cp1252ToUtf8(alarmEntry(row.sensors, alarm)), false});
    return messages;
}

MqttMessages discoveryMessages(std::string_view topic, const SensorTable& sensors,
                               std::int64_t intervalMs, std::string_view model) {
    const std::string node = nodeNameOf(topic);
    const Json device = {{"identifiers", Json::array({"kelvinor_" + node})},
                         {"name", "Kelvinor " + node},
                         {"manufacturer", "Kelvinor"},
                         {"model", std::string(model)},
                         {"sw_version", KELVINOR_VERSION}};
    const std::string availability = std::string(topic) + "/status";
    MqttMessages messages;
    for (const Sensor& sensor : sensors) {
        const std::string id = "kelvinor_" + node + "_" + topicNameOf(sensor.rom);
        const std::string name = cp1252ToUtf8(sensor.alias);
        Json temperature = {{"name", name},
                            {"unique_id", id},
                            {"object_id", id},
                            {"state_topic", sensorTopic(topic, sensor, "temperature")},
                            {"device_class", "temperature"},
                            {"state_class", "measurement"},
                            {"unit_of_measurement", "°C"},
                            {"availability_topic", availability},
                            {"device", device}};
        // Three intervals without a reading: the sensor shows as unavailable.
        if (intervalMs > 0) temperature["expire_after"] = (3 * intervalMs + 999) / 1000;
        const Json problem = {{"name", name + " Alarm"},
                              {"unique_id", id + "_alarm"},
                              {"object_id", id + "_alarm"},
                              {"state_topic", sensorTopic(topic, sensor, "alarm")},
                              {"device_class", "problem"},
                              {"value_template", "{{ 'OFF' if value == 'none' else 'ON' }}"},
                              {"availability_topic", availability},
                              {"device", device}};
        messages.push_back({"homeassistant/sensor/" + id + "/config", jsonText(temperature), true});
        messages.push_back(
            {"homeassistant/binary_sensor/" + id + "/config", jsonText(problem), true});
    }
    return messages;
}

}  // namespace kelvinor
