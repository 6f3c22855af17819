// The POSIX choices behind the platform seam.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "logger/platform/posix/process_starter.h"
#include "logger/platform/posix/system_clock.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"

namespace kelvinor {

// File names are CP1252 in the program and UTF-8 on the Linux file system.
std::filesystem::path toPath(std::string_view cp1252) {
    return std::filesystem::path(cp1252ToUtf8(cp1252));
}

std::string_view clockProgramFile() {
    return "Horalux";
}

// $HOME/KELVINOR, or KELVINOR in the current folder when HOME is not set.
std::string defaultLogFilePrefix() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return "KELVINOR";
    std::string prefix = utf8ToCp1252(home);
    if (!prefix.ends_with('/')) prefix += '/';
    return prefix + "KELVINOR";
}

std::string localHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

// KELVBUS.SH runs every DigiTemp under "timeout -k 1".
int busToolKillGraceMs() {
    return 1000;
}

// There is no socket layer to start on POSIX systems.
bool startSocketLayer() {
    return true;
}
void stopSocketLayer() {}

std::unique_ptr<Clock> makeSystemClock() {
    return std::make_unique<SystemClock>();
}

std::unique_ptr<ProgramStarter> makeProgramStarter() {
    return std::make_unique<PosixProgramStarter>();
}

void endProcess(int code) {
    // Every file is closed and synced by now. The library teardown is
    // skipped: Qt 6.4's PulseAudio backend can abort in it after the last
    // sink is gone.
    std::fflush(nullptr);
    _exit(code);
}

}  // namespace kelvinor
