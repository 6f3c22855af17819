#pragma once
// Host: the bundle of seams through which the program reaches the outside world.
#include <functional>

#include "logger/constants/mail_timeouts.h"
#include "logger/seams/clock.h"
#include "logger/seams/desktop.h"
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
};

}  // namespace kelvinor
