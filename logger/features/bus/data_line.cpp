#include "logger/features/bus/data_line.h"

#include <string_view>

#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

Reading readingOf(std::string field) {
    Reading reading;
    // A comma ends the number: "85,00" reads as 85.
    reading.celsius = readDecimalNumber(field);
    if (field == "85.00" || field == "85,00" || field == "85")
        reading.fault = Fault::SensorCode;
    else if (!reading.celsius)
        reading.fault = Fault::NoReading;
    reading.asDelivered = std::move(field);
    return reading;
}

}  // namespace

SensorReadings splitDataLine(std::string line, int sensorCount) {
    SensorReadings result;
    std::string_view rest = line;
    // The first field is not a reading.
    const std::size_t first = rest.find('\t');
    rest = first == std::string_view::npos ? std::string_view() : rest.substr(first + 1);
    bool exhausted = first == std::string_view::npos;
    for (int k = 1; k <= sensorCount; ++k) {
        if (exhausted) {
            result.readings.push_back(Reading{std::nullopt, Fault::NoReading, ""});
            continue;
        }
        const std::size_t tab = rest.find('\t');
        result.readings.push_back(readingOf(std::string(rest.substr(0, tab))));
        if (tab == std::string_view::npos)
            exhausted = true;
        else
            rest.remove_prefix(tab + 1);
    }
    result.line = std::move(line);
    return result;
}

}  // namespace kelvinor
