#pragma once
// MessageBroker: where the readings go beside the log, an MQTT broker. The
// program hands it whole rows of messages and never waits for the network:
// the connection, its reconnects and the sending run beside the recording.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvinor {

struct MqttMessage {
    std::string topic;
    std::string payload;  // UTF-8
    bool retained = false;
    bool operator==(const MqttMessage&) const = default;
};
using MqttMessages = std::vector<MqttMessage>;
// Makes one row's messages. A row waits in this compact form, holding its
// readings only, and is made into messages on the broker's thread when the
// broker can take it: the recording's cycle spends no time on the texts.
using RowMessagesMaker = std::function<MqttMessages()>;

struct BrokerSettings {
    std::string host;
    int port = 1883;
    bool tls = false;
    std::string caFile;  // empty: the system's certificate store
    std::string user, password;
    std::string clientId;
    // "online" (retained) after each connect; "offline" as the last will and
    // at a clean end.
    std::string statusTopic;
};

class MessageBroker {
  public:
    virtual ~MessageBroker() = default;
    // Sent after every connect before anything else (and now, when connected);
    // replaces what was announced before.
    virtual void announce(MqttMessages messages) = 0;
    // One row. Rows wait for the broker in their order; of those not yet
    // sent only the newest kRowsKept are kept.
    virtual void publishRow(RowMessagesMaker row) = 0;
    static constexpr std::size_t kRowsKept = 1000;
};

}  // namespace kelvinor
