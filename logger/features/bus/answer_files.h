#pragma once
// The answer files that the scan batches leave, "COM<n>READ.INI": six lines
// of header, then one line per sensor whose first 16 characters are its ROM
// code; an empty seventh line means the port has no sensors.
#include <string>
#include <vector>

namespace kelvinor {

std::string answerFileName(int port);

// True when port n's answer file exists and names a sensor.
bool answerFileNamesSensors(int port);

// The ROM codes of the answer file's sensor lines (lines 7 to 67). The
// sensors are counted over all those lines that are neither empty nor a
// "ROM …" line, and taken from line 7 on, as many as were counted. The file
// is created empty when missing.
std::vector<std::string> sensorRomsInAnswerFile(int port);

}  // namespace kelvinor
