#include "logger/features/mqtt/mqtt_publishing.h"

#include <fstream>
#include <iterator>

#include "logger/constants/file_names.h"
#include "logger/features/mqtt/mqtt_messages.h"
#include "logger/features/mqtt/mqtt_settings.h"
#include "logger/system/bus_log.h"
#include "logger/system/files.h"
#include "logger/system/platform.h"

namespace kelvinor {
namespace {

// More than any settings file needs; a larger one is not read at all.
constexpr std::int64_t kLargestSettingsFile = 64 * 1024;

std::string noteLines(const std::vector<std::string>& notes) {
    std::string lines;
    for (const std::string& note : notes) lines += note + "\n";
    return lines;
}

}  // namespace

void startMqtt(ProgramState& state, Host& host) {
    const std::string name(kMqttSettingsFile);
    const std::int64_t size = fileSize(name);
    if (size == -1) return;  // publishing is off: not a byte, not a connection
    const std::string heading = "MQTT (" + name + "):";
    if (!host.connectBroker) {
        appendBusLog(heading, "this edition of Kelvinor publishes to no broker");
        return;
    }
    std::fstream file;
    if (size < 0 || size > kLargestSettingsFile || !openForReading(file, name)) {
        appendBusLog(heading, "not a readable settings file of at most 64 KB");
        return;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    ParsedMqttSettings parsed = parseMqttSettings(bytes, localHostName());
    if (!parsed.notes.empty()) appendBusLog(heading, noteLines(parsed.notes));
    if (!parsed.settings) {
        appendBusLog(heading, "publishing stays off");
        return;
    }
    MqttSettings& settings = *parsed.settings;
    settings.broker.clientId = "kelvinor-" + nodeNameOf(settings.topic);
    settings.broker.statusTopic = settings.topic + "/status";
    state.mqttTopic = settings.topic;
    state.mqttDiscovery = settings.discovery;
    state.broker = host.connectBroker(settings.broker);
    announceSensors(state);
}

void announceSensors(ProgramState& state) {
    if (!state.broker || !state.mqttDiscovery) return;
    MqttMessages messages = discoveryMessages(state.mqttTopic, state.sensors, state.intervalMs,
                                              state.demoMode == 1 ? "Kelvinor-Demo" : "Kelvinor");
    if (messages == state.mqttAnnounced) return;
    state.mqttAnnounced = messages;
    state.broker->announce(std::move(messages));
}

void publishRow(ProgramState& state, Host& host) {
    if (!state.broker) return;
    // The rows share one copy of the sensor table while it stays the same.
    if (!state.mqttSensors || *state.mqttSensors != state.sensors)
        state.mqttSensors = std::make_shared<const SensorTable>(state.sensors);
    state.broker->publishRow([topic = state.mqttTopic, sensors = state.mqttSensors,
                              readings = SensorReadings{"", state.lastReadings.readings},
                              alarms = state.alarms, time = host.clock.toLocal(state.rowTimestamp),
                              title = state.measurementTitle] {
        return rowMessages(topic, {*sensors, readings, alarms, time, title});
    });
}

}  // namespace kelvinor
