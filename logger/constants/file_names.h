#pragma once
// Names of the files in the current folder that the program reads or writes
// (the clock program's name differs per system: clockProgramFile()).
#include <string_view>

namespace kelvinor {

inline constexpr std::string_view kMailSettingsFile = "KelvEmail.ini";
inline constexpr std::string_view kProgramSettingsFile = "kelvinor.ini";
inline constexpr std::string_view kToolSettingsFile = "digitemp.cfg";
inline constexpr std::string_view kInfoFile = "Kelvinor.txt";
inline constexpr std::string_view kDataLineFile = "DATALINE.TXT";
// The data line so far, which the Windows batch leaves after every sensor.
inline constexpr std::string_view kDataLinePartFile = "DATALINE.PART";
inline constexpr std::string_view kBusLogFile = "DIGITEMP.LOG";
inline constexpr std::string_view kMqttSettingsFile = "KelvMqtt.ini";

}  // namespace kelvinor
