#include "tests/support/expected_texts.h"

#include "logger/text/cp1252.h"

namespace kelvinor::testing {

Lines headerBlockLines(const HeaderExpectation& e) {
    const std::size_t n = e.ids.size();
    Lines lines = {"# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #", "",
                   "An Schnittstelle 'COM" + std::to_string(e.port) + "' wurden " +
                       std::to_string(n) + " Stück '1-Wire-Bus-Sensoren' erkannt:",
                   ""};
    for (std::size_t k = 1; k <= n; ++k)
        lines.push_back("Sensor Nr. " + std::to_string(k) + " alias '" + e.aliases[k - 1] +
                        "' mit der ID " + e.ids[k - 1]);
    const Lines info = {
        "",
        "ALLGEMEINE BENUTZERINFORMATIONEN:",
        "- Die Erfassung der Temperaturmesswerte erfolgt grundsätzlich in 'Grad Celsius' (°C)",
        "- Die Umrechungsformel von °Celsius in °Fahrenheit / °Kelvin lautet wie folgt: "
        "°F=((°C*9)/5)+32 / °K=°C+273,15",
        "- Der Messbereich für Temperaturen reicht bei einem DS1820-Sensorbaustein am 1-Wire-Bus "
        "von -55°C bis +125°C",
        "- Ein Messwert von +85°C ist ein Fehlercode des Sensors und kann folgende Ursachen haben:",
        "  - ein Timingproblem mit dem 1-Wire-Datenbus (Kelvinor.ini: Standard-Antwortzeit in "
        "ms=1000; bis 9999 möglich)",
        "  - eine fehlende Spannungsversorgung oder eine Spannungsunterversorgung",
        "  - einen defekten Sensor",
        ""};
    lines.insert(lines.end(), info.begin(), info.end());
    if (!e.title.empty()) lines.insert(lines.end(), {"MESSVORGANG:", e.title, ""});
    lines.push_back(e.logFile ? "ERFASSUNGSSPARAMETER:" : "ERFASSUNGSPARAMETER:");
    for (std::size_t k = 1; k <= n; ++k)
        lines.push_back("Alarm-Schwellenwerte von Sensor Nr. " + std::to_string(k) + " alias '" +
                        e.aliases[k - 1] + "' sind: Alarm-'+' = WÄRMER als " + e.warm[k - 1] +
                        "°C und Alarm-'-' = KÄLTER als " + e.cold[k - 1] + "°C");
    for (std::string& line : lines) line = utf8ToCp1252(line);
    return lines;
}

std::string crlfText(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace kelvinor::testing
