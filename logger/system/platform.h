#pragma once
// What differs from one operating system to the next, implemented once per
// system in its platform folder: file names, paths, the socket layer, the
// program's real clock and process starter, and the end of the process.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "logger/seams/clock.h"
#include "logger/seams/program_starter.h"

namespace kelvinor {

// The program's file names are CP1252 text; this is the one place that turns
// them into the system's own paths.
std::filesystem::path toPath(std::string_view cp1252);

// The clock program's file name in the current folder.
std::string_view clockProgramFile();

// The prefix of the default log file name (without date and extension).
std::string defaultLogFilePrefix();

// This computer's name on the network ("raspberrypi"); "localhost" when it has none.
std::string localHostName();

// How long the bus scripts wait for a tool that ignores the request to end
// before they kill it (0 where the program's own limit ends the batch at once).
int busToolKillGraceMs();

// Starts and stops the socket layer; false switches alarm e-mail off.
bool startSocketLayer();
void stopSocketLayer();

std::unique_ptr<Clock> makeSystemClock();
std::unique_ptr<ProgramStarter> makeProgramStarter();

// Ends the process with the exit code once every file is flushed; the
// library teardown is skipped.
[[noreturn]] void endProcess(int code);

}  // namespace kelvinor
