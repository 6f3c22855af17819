#pragma once
// Host: the bundle of seams through which the program reaches the outside world.
#include <functional>
#include <memory>

#include "logger/constants/mail_timeouts.h"
#include "logger/seams/clock.h"
#include "logger/seams/desktop.h"
#include "logger/seams/message_broker.h"
#include "logger/seams/program_starter.h"
#include "logger/seams/sound_output.h"

namespace kelvinor {

struct Host {
    Desktop& desktop;
    Clock& clock;
    SoundOutput& sound;
    ProgramStarter& starter;
    // Starts the socket layer; false switches alarm e-mail off.
    std::function<bool()> startNetwork;
    // The alarm e-mail's time-outs; tests make them short.
    MailTimeouts mailTimeouts{};
    // Connects to an MQTT broker; empty where this edition publishes nothing.
    std::function<std::unique_ptr<MessageBroker>(const BrokerSettings&)> connectBroker{};
};

}  // namespace kelvinor
