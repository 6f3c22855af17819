// The Windows choices behind the platform seam.
// Windows' headers in the order they need: winsock2.h before windows.h,
// both before the shell's.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include <cstdio>
#include <cstdlib>

#include "logger/platform/win32/process_starter.h"
#include "logger/platform/win32/system_clock.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"

namespace kelvinor {

// File names are CP1252 in the program; converted to UTF-16 with code page
// 1252 itself (not the system's ANSI code page), so umlauts in file names
// mean the same on every Windows.
std::filesystem::path toPath(std::string_view cp1252) {
    return std::filesystem::path(cp1252ToWide(cp1252));
}

std::string_view clockProgramFile() {
    return "Horalux.exe";
}

// A normal user may not create files in the root of drive C, so the default
// log name starts in the user's Documents folder. A folder whose name has
// characters outside CP1252 cannot be written in the program's texts: the
// current folder then.
std::string defaultLogFilePrefix() {
    PWSTR documents = nullptr;
    std::string prefix = "KELVINOR";
    if (SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents) == S_OK) {
        const int length = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, documents, -1, nullptr,
                                               0, nullptr, nullptr);
        std::string folder(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
        BOOL lost = FALSE;
        WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, documents, -1, folder.data(), length,
                            nullptr, &lost);
        folder.resize(folder.find('\0'));
        if (!lost && !folder.empty())
            prefix = folder + (folder.ends_with('\\') ? "" : "\\") + prefix;
    }
    CoTaskMemFree(documents);
    return prefix;
}

std::string localHostName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size) || size == 0) return "localhost";
    return std::string(name, size);
}

// The batches cannot bound DigiTemp; the program ends their job object.
int busToolKillGraceMs() {
    return 0;
}

bool startSocketLayer() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void stopSocketLayer() {
    WSACleanup();
}

std::unique_ptr<Clock> makeSystemClock() {
    return std::make_unique<SystemClock>();
}

std::unique_ptr<ProgramStarter> makeProgramStarter() {
    return std::make_unique<Win32ProgramStarter>();
}

void endProcess(int code) {
    // Every file is closed and flushed by now; the library teardown is skipped.
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace kelvinor
