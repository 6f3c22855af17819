#pragma once
// The titles of the program's prompts (UTF-8), by which an unattended
// desktop knows what it is asked.
#include <string_view>

namespace kelvinor {

inline constexpr std::string_view kTitlePromptTitle = "Kelvinor: Eingabe einer Überschrift";
inline constexpr std::string_view kIntervalPromptTitle =
    "Kelvinor: Zeitintervall für Datenerfassung";
inline constexpr std::string_view kLogFilePromptTitle = "Kelvinor: Logfile-Dateiname";
inline constexpr std::string_view kAliasPromptTitle = "Kelvinor: Alternativer Name für Sensor";
inline constexpr std::string_view kWarmPromptTitle = "Kelvinor: Alarm-'+' = 'WARM' (T < 126°C)";
inline constexpr std::string_view kColdPromptTitle = "Kelvinor: Alarm-'-' = 'KALT' (T > -56°C)";

}  // namespace kelvinor
