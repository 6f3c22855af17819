#include "logger/application/unattended_answers.h"

#include <charconv>

#include "logger/constants/control_ids.h"
#include "logger/constants/prompt_titles.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

// The editors' prompts name their sensor first: "Sensor Nr. 2/ID …".
const SensorSettings* sensorOf(const UnattendedSettings& settings, const std::string& message) {
    constexpr std::string_view kPrefix = "Sensor Nr. ";
    if (!message.starts_with(kPrefix)) return nullptr;
    const auto number = static_cast<int>(readIntegerPrefix(message.substr(kPrefix.size())));
    const auto found = settings.sensors.find(number);
    return found == settings.sensors.end() ? nullptr : &found->second;
}

// The threshold as the editors read it back: the shortest text that gives
// the same number, with a decimal comma.
std::string thresholdText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return withDecimalComma(std::string(buffer, result.ptr));
}

}  // namespace

std::string answerFromSettings(const UnattendedSettings& settings, const std::string& title,
                               const std::string& message, const std::string& preset) {
    if (title == utf8ToCp1252(kTitlePromptTitle)) return settings.title;
    if (title == utf8ToCp1252(kIntervalPromptTitle)) return settings.interval;
    // Without a LOGFILE the usual name, in the working folder.
    if (title == utf8ToCp1252(kLogFilePromptTitle))
        return settings.logFile.value_or(preset.substr(preset.find_last_of("/\\") + 1));
    const SensorSettings* sensor = sensorOf(settings, message);
    if (sensor == nullptr) return preset;
    if (title == utf8ToCp1252(kAliasPromptTitle)) return sensor->alias.value_or(preset);
    if (title == utf8ToCp1252(kWarmPromptTitle) && sensor->warmAbove)
        return thresholdText(*sensor->warmAbove);
    if (title == utf8ToCp1252(kColdPromptTitle) && sensor->coldBelow)
        return thresholdText(*sensor->coldBelow);
    return preset;
}

std::deque<int> clicksFromSettings(const UnattendedSettings& settings) {
    bool aliases = false, thresholds = false;
    for (const auto& [number, sensor] : settings.sensors) {
        aliases = aliases || sensor.alias.has_value();
        thresholds = thresholds || sensor.warmAbove.has_value() || sensor.coldBelow.has_value();
    }
    std::deque<int> clicks;
    if (aliases) clicks.push_back(renameButton);
    if (thresholds) clicks.push_back(thresholdsButton);
    clicks.push_back(startButton);
    return clicks;
}

}  // namespace kelvinor
