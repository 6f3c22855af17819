#include "logger/system/stop_signals.h"

#include <windows.h>

namespace kelvinor {
namespace {

HANDLE stopEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD) {
    SetEvent(stopEvent);
    return TRUE;  // handled: the process is not ended here
}

}  // namespace

std::function<bool(std::int64_t)> takeStopSignals() {
    stopEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    // As on POSIX: after the stop a wait still lasts its time (the program's
    // pauses rest on it) and then says that the stop came.
    return [came = false](std::int64_t ms) mutable {
        const DWORD wait = ms <= 0 ? 0 : ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
        came = WaitForSingleObject(stopEvent, wait) == WAIT_OBJECT_0 || came;
        return came;
    };
}

}  // namespace kelvinor
