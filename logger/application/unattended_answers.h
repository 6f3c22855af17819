#pragma once
// What the unattended recorder's settings answer: the prompts a user would
// type into, and the main window's buttons they would click.
#include <deque>
#include <string>

#include "logger/application/unattended_settings.h"

namespace kelvinor {

// The answer to a prompt: the title, the interval, the log file's name (the
// usual one in the working folder when none is given) and each configured
// sensor's alias and thresholds; the preset for anything else.
std::string answerFromSettings(const UnattendedSettings& settings, const std::string& title,
                               const std::string& message, const std::string& preset);

// The alias and threshold editors when the settings give aliases or
// thresholds, then the start button.
std::deque<int> clicksFromSettings(const UnattendedSettings& settings);

}  // namespace kelvinor
