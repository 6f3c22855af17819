#pragma once
// The texts the program must produce, written out independently of its code.
#include <string>
#include <vector>

namespace kelvinor::testing {

using Lines = std::vector<std::string>;

struct HeaderExpectation {
    int port = 1;
    Lines ids = {"DemoSensor 1", "DemoSensor 2", "DemoSensor 3"};
    Lines aliases = {"S1", "S2", "S3"};
    Lines warm = {"126,00", "126,00", "126,00"};
    Lines cold = {"-56,00", "-56,00", "-56,00"};
    std::string title;     // UTF-8
    bool logFile = false;  // the log file spells "ERFASSUNGSSPARAMETER:"
};

// Lines 1 to 18 of the header block, in CP1252.
Lines headerBlockLines(const HeaderExpectation& e);

// Joins lines, each followed by CR LF.
std::string crlfText(const Lines& lines);

}  // namespace kelvinor::testing
