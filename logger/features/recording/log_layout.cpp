#include "logger/features/recording/log_layout.h"

#include "logger/constants/control_ids.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {

std::vector<std::string> headerBlock(const ProgramState& state, HeaderFor target) {
    const SensorTable& sensors = state.sensors;
    std::vector<std::string> lines = {
        "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #",
        "",
        "An Schnittstelle 'COM" + decimal(state.sensorPort) + "' wurden " +
            decimal(state.sensorCount()) + " Stück '1-Wire-Bus-Sensoren' erkannt:"_cp,
        "",
    };
    for (std::size_t i = 0; i < sensors.size(); ++i)
        lines.push_back("Sensor Nr. " + decimal(static_cast<int>(i) + 1) + " alias '" +
                        sensors[i].alias + "' mit der ID " + sensors[i].rom +
                        (sensors[i].isDs1820() ? " ist ein Temperatursensor vom Typ DS1820" : ""));
    const std::vector<std::string> information = {
        "",
        "ALLGEMEINE BENUTZERINFORMATIONEN:",
        "- Die Erfassung der Temperaturmesswerte erfolgt grundsätzlich in 'Grad Celsius' (°C)"_cp,
        "- Die Umrechungsformel von °Celsius in °Fahrenheit / °Kelvin lautet wie folgt: "
        "°F=((°C*9)/5)+32 / °K=°C+273,15"_cp,
        "- Der Messbereich für Temperaturen reicht bei einem DS1820-Sensorbaustein am "
        "1-Wire-Bus von -55°C bis +125°C"_cp,
        "- Ein Messwert von +85°C ist ein Fehlercode des Sensors und kann folgende Ursachen "
        "haben:"_cp,
        "  - ein Timingproblem mit dem 1-Wire-Datenbus (Kelvinor.ini: Standard-Antwortzeit in "
        "ms=1000; bis 9999 möglich)"_cp,
        "  - eine fehlende Spannungsversorgung oder eine Spannungsunterversorgung",
        "  - einen defekten Sensor",
        "",
    };
    lines.insert(lines.end(), information.begin(), information.end());
    if (!state.measurementTitle.empty()) {
        lines.push_back("MESSVORGANG:");
        lines.push_back(state.measurementTitle);
        lines.push_back("");
    }
    lines.push_back(target == HeaderFor::LogFile ? "ERFASSUNGSSPARAMETER:"
                                                 : "ERFASSUNGSPARAMETER:");
    for (std::size_t i = 0; i < sensors.size(); ++i)
        lines.push_back("Alarm-Schwellenwerte von Sensor Nr. " + decimal(static_cast<int>(i) + 1) +
                        " alias '" + sensors[i].alias + "' sind: Alarm-'+' = WÄRMER als "_cp +
                        formatTemperature(sensors[i].warmAbove) +
                        "°C und Alarm-'-' = KÄLTER als "_cp +
                        formatTemperature(sensors[i].coldBelow) + "°C"_cp);
    return lines;
}

void showLogbookHeader(const ProgramState& state, Host& host) {
    host.desktop.clearLogbook(logbook);
    for (const std::string& line : headerBlock(state, HeaderFor::Logbook))
        host.desktop.appendLogbookLine(logbook, line);
}

}  // namespace kelvinor
