#pragma once
// Scan and data-line batches for scenario tests: real batches (shell
// scripts, or cmd.exe batch files on Windows) that leave the files the bus
// tool would leave.
#include <map>
#include <string>
#include <vector>

namespace kelvinor::testing {

// A batch command that writes `bytes` exactly (any byte values) to `file`.
std::string printfCommand(const std::string& bytes, const std::string& file);

// A batch command that appends the line `text` to `file`.
std::string noteCommand(const std::string& text, const std::string& file);

// The lines noted by noteCommand, each ending with "\n" on every system.
std::string readNotes(const std::string& file);

// Writes COM1READ.BAT to COM9READ.BAT. A port listed in `answers` leaves that
// answer file; every batch that runs notes its port in "scan.log", and the
// batch of port 1 leaves `toolSettings` as "digitemp.cfg" when it is given.
void writeScanBatches(const std::map<int, std::string>& answers,
                      const std::string& toolSettings = "");

// An answer file with six header lines and the given sensor lines.
std::string answerFileWith(const std::vector<std::string>& sensorLines);

// A DATALINE.BAT that leaves `bytes` as "DATALINE.TXT" and counts its runs in "dataline.log".
void writeDataLineBatch(const std::string& bytes);

}  // namespace kelvinor::testing
