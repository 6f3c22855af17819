#include "logger/platform/win32/system_clock.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace kelvinor {
namespace {

// A FILETIME counts 100 ns since 1601-01-01 UTC.
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

std::int64_t secondsSince1970(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    ULARGE_INTEGER ticks{};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart / 10'000'000) - kSecondsFrom1601To1970;
}

}  // namespace

std::int64_t SystemClock::calendarSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Windows' own local time, as Horalux shows it (GetLocalTime) and with the
// offset that holds at that moment. The C runtime's localtime_s follows a TZ
// variable in its own syntax instead ("Europe/Berlin" gives UTC) and was an
// hour off Horalux and the e-mail's Date line.
LocalTime SystemClock::toLocal(std::int64_t seconds) {
    ULARGE_INTEGER ticks{};
    ticks.QuadPart =
        static_cast<ULONGLONG>(std::max<std::int64_t>(0, seconds + kSecondsFrom1601To1970)) *
        10'000'000ULL;
    const FILETIME file{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&file, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return LocalTime{};
    return LocalTime{
        local.wYear,      local.wMonth,
        local.wDay,       local.wHour,
        local.wMinute,    local.wSecond,
        local.wDayOfWeek, static_cast<long>(secondsSince1970(local) - secondsSince1970(utc))};
}

// 64 bits: no wrap after 49.7 days, as on Linux.
std::int64_t SystemClock::monotonicMs() {
    return static_cast<std::int64_t>(GetTickCount64());
}

void SystemClock::sleepMs(std::int64_t milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace kelvinor
