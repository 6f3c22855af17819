#pragma once
// The settings file of the unattended recorder: the answers a user would
// type into the prompts, one "KEY value" line each.
//
//   # Kühlraum im Keller
//   TITLE Kühlraum Nord
//   INTERVAL M1
//   LOGFILE /var/lib/kelvinor/kuehlraum.KLV
//   ALIAS 1 Vorlauf
//   WARM 1 8,0
//   COLD 1 2,0
//
// The file may be UTF-8 or CP1252; a line whose first non-blank character
// is "#" is a comment (a "#" inside a value is part of it).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kelvinor {

// What the settings give one sensor; each with the line that gave it.
struct SensorSettings {
    std::optional<std::string> alias;
    std::optional<double> warmAbove;
    std::optional<double> coldBelow;
    int line = 0;  // the first line that names the sensor
};

struct UnattendedSettings {
    std::string title;                      // CP1252
    std::string interval;                   // as the interval prompt takes it: "M1"
    std::optional<std::string> logFile;     // CP1252; absent: the usual name
    std::map<int, SensorSettings> sensors;  // by the number the table shows
};

struct SettingsError {
    int line = 0;         // 0: not one line's fault
    std::string message;  // German, CP1252: "Zeile 3: unbekannter Schlüssel 'FOO'"
};

std::variant<UnattendedSettings, SettingsError> parseUnattendedSettings(std::string_view bytes);

// A sensor number beyond the sensors the scan found, once they are known.
std::optional<SettingsError> checkSensorNumbers(const UnattendedSettings& settings,
                                                int sensorCount);

}  // namespace kelvinor
