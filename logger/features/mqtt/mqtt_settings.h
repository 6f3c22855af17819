#pragma once
// The settings file "KelvMqtt.ini" that switches publishing to an MQTT
// broker on: "KEY value" lines, "#" comments, UTF-8 or CP1252.
//
//   BROKER mqtt.example.de:8883
//   TLS on
//   CAFILE /etc/ssl/certs/ca-certificates.crt
//   USER kelvinor
//   PASSWORD geheim
//   TOPIC kelvinor/keller
//   DISCOVERY on
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logger/seams/message_broker.h"

namespace kelvinor {

struct MqttSettings {
    BrokerSettings broker;  // everything but the client and status topic
    std::string topic;      // UTF-8, without a trailing "/"
    bool discovery = true;
};

struct ParsedMqttSettings {
    std::optional<MqttSettings> settings;  // absent: publishing stays off
    std::vector<std::string> notes;        // what was ignored or refused, for the bus log
};

// `hostName` gives the default topic "kelvinor/<host name>".
ParsedMqttSettings parseMqttSettings(std::string_view bytes, std::string_view hostName);

// 127.0.0.0/8 or ::1: a login may go there without TLS.
bool isLoopbackHost(std::string_view host);

}  // namespace kelvinor
