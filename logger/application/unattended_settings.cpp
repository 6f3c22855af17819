#include "logger/application/unattended_settings.h"

#include "logger/data/sensor_table.h"
#include "logger/features/recording/interval.h"
#include "logger/text/cp1252.h"
#include "logger/text/key_value_lines.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

SettingsError errorAt(int line, const std::string& what) {
    return {line, "Zeile " + decimal(line) + ": " + what};
}

// A whole number of digits only, 1 to the most sensors a bus may carry.
std::optional<int> sensorNumber(std::string_view word) {
    if (word.empty() || word.size() > 2) return std::nullopt;
    for (char c : word)
        if (c < '0' || c > '9') return std::nullopt;
    const int number = static_cast<int>(readIntegerPrefix(word));
    if (number < 1 || number > kMaxSensors) return std::nullopt;
    return number;
}

// A threshold as the editors take it (decimal comma or point, the leading
// number), but without any number it is refused rather than taken as 0:
// nobody watches the file's typing errors.
std::optional<double> threshold(std::string_view text) {
    return readDecimalNumber(withDecimalPoint(std::string(text)));
}

}  // namespace

std::variant<UnattendedSettings, SettingsError> parseUnattendedSettings(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const std::string text = isUtf8(bytes) ? utf8ToCp1252(bytes) : std::string(bytes);
    UnattendedSettings settings;
    bool intervalGiven = false;
    for (const auto& [number, key, value] : keyValueLines(text)) {
        if (key == "TITLE") {
            settings.title = std::string(value);
        } else if (key == "INTERVAL") {
            if (!parseIntervalEntry(std::string(value)))
                return errorAt(number, "ungültiges Intervall '"_cp + std::string(value) +
                                           "' (z. B. S30, M1, H1, T1)");
            settings.interval = std::string(value);
            intervalGiven = true;
        } else if (key == "LOGFILE") {
            if (value.empty()) return errorAt(number, "LOGFILE ohne Dateinamen");
            settings.logFile = std::string(value);
        } else if (key == "ALIAS" || key == "WARM" || key == "COLD") {
            const auto [sensorWord, setting] = splitFirstWord(value);
            const std::optional<int> sensor = sensorNumber(sensorWord);
            if (!sensor)
                return errorAt(number, "ungültige Sensornummer '"_cp + std::string(sensorWord) +
                                           "' (1 bis " + decimal(kMaxSensors) + ")");
            SensorSettings& entry = settings.sensors[*sensor];
            if (entry.line == 0) entry.line = number;
            if (key == "ALIAS") {
                entry.alias = std::string(setting);
                continue;
            }
            const std::optional<double> degrees = threshold(setting);
            if (!degrees)
                return errorAt(number, "ungültiger Schwellenwert '"_cp + std::string(setting) +
                                           "' (z. B. 8,0)");
            (key == "WARM" ? entry.warmAbove : entry.coldBelow) = degrees;
        } else {
            return errorAt(number, "unbekannter Schlüssel '"_cp + std::string(key) + "'");
        }
    }
    if (!intervalGiven) return SettingsError{0, "Es fehlt die Zeile INTERVAL (z. B. INTERVAL M1)"};
    return settings;
}

std::optional<SettingsError> checkSensorNumbers(const UnattendedSettings& settings,
                                                int sensorCount) {
    for (const auto& [sensor, entry] : settings.sensors)
        if (sensor > sensorCount)
            return errorAt(entry.line, "Sensor Nr. " + decimal(sensor) + " gibt es nicht (" +
                                           decimal(sensorCount) + " Sensoren gefunden)");
    return std::nullopt;
}

}  // namespace kelvinor
