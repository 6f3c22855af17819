#include "tests/support/bus_fixtures.h"

#include <cstdio>

#include "tests/support/scenario.h"

namespace kelvinor::testing {

std::string printfCommand(const std::string& bytes, const std::string& file) {
    std::string escaped;
    for (unsigned char c : bytes) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "\\%03o", c);
        escaped += octal;
    }
    return "printf '" + escaped + "' > " + file + "\n";
}

void writeScanBatches(const std::map<int, std::string>& answers, const std::string& toolSettings) {
    for (int n = 1; n <= 9; ++n) {
        std::string script = "echo " + std::to_string(n) + " >> scan.log\n";
        if (n == 1 && !toolSettings.empty()) script += printfCommand(toolSettings, "digitemp.cfg");
        const auto it = answers.find(n);
        if (it != answers.end())
            script += printfCommand(it->second, "COM" + std::to_string(n) + "READ.INI");
        writeFile("COM" + std::to_string(n) + "READ.BAT", script);
    }
}

std::string answerFileWith(const std::vector<std::string>& sensorLines) {
    std::string text = "DigiTemp v3.7.2\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\n";
    for (const std::string& line : sensorLines) text += line + "\r\n";
    return text;
}

void writeDataLineBatch(const std::string& bytes) {
    writeFile("DATALINE.BAT", "echo run >> dataline.log\n" + printfCommand(bytes, "DATALINE.TXT"));
}

}  // namespace kelvinor::testing
