#pragma once
// The MessageBroker on libmosquitto: MQTT 3.1.1 with QoS 1, TLS through
// OpenSSL, a last will, reconnects with a growing pause. One thread of its
// own owns the client; the program's thread only queues rows.
#include <memory>

#include "logger/seams/message_broker.h"

namespace kelvinor {

// Waits of the connection; tests make them short.
struct BrokerTimeouts {
    int answerMs = 10'000;     // from the connection's start to the broker's answer
    int firstRetryMs = 1'000;  // the pause after the first failure; it doubles
    int longestRetryMs = 60'000;
    int endMs = 1'000;  // the clean end: the rows still waiting, "offline", the close
};

std::unique_ptr<MessageBroker> connectMosquittoBroker(const BrokerSettings& settings,
                                                      const BrokerTimeouts& timeouts = {});

}  // namespace kelvinor
