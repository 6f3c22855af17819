#include "tests/support/bus_fixtures.h"

#include <cstdio>

#include "tests/support/scenario.h"

namespace kelvinor::testing {

#ifdef _WIN32
// cmd.exe has no printf: the bytes wait in a file of their own, which the
// batch copies (binary, so every byte stays).
std::string printfCommand(const std::string& bytes, const std::string& file) {
    writeFile(file + ".src", bytes);
    return "copy /y /b " + file + ".src " + file + " >nul\r\n";
}

// A line appended to a log of the batch's runs (the redirection first, so
// that a digit before ">>" is not taken for a handle number).
std::string noteCommand(const std::string& text, const std::string& file) {
    return ">>" + file + " echo " + text + "\r\n";
}
#else
std::string noteCommand(const std::string& text, const std::string& file) {
    return "echo " + text + " >> " + file + "\n";
}

std::string printfCommand(const std::string& bytes, const std::string& file) {
    std::string escaped;
    for (unsigned char c : bytes) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "\\%03o", c);
        escaped += octal;
    }
    return "printf '" + escaped + "' > " + file + "\n";
}
#endif

std::string readNotes(const std::string& file) {
    std::string notes = readFile(file);
    std::erase(notes, '\r');
    return notes;
}

void writeScanBatches(const std::map<int, std::string>& answers, const std::string& toolSettings) {
    for (int n = 1; n <= 9; ++n) {
        std::string script = noteCommand(std::to_string(n), "scan.log");
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
    writeFile("DATALINE.BAT",
              noteCommand("run", "dataline.log") + printfCommand(bytes, "DATALINE.TXT"));
}

}  // namespace kelvinor::testing
