#include "logger/platform/win32/system_clock.h"

#include <windows.h>

#include <chrono>
#include <ctime>

namespace kelvinor {

long utcOffsetFromBiases(long biasMinutes, long standardBias, long daylightBias, bool daylight) {
    return -60L * (biasMinutes + (daylight ? daylightBias : standardBias));
}

std::int64_t SystemClock::calendarSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

LocalTime SystemClock::toLocal(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_s(&tm, &t) != 0) return LocalTime{};
    TIME_ZONE_INFORMATION zone{};
    const DWORD state = GetTimeZoneInformation(&zone);
    const long offset = state == TIME_ZONE_ID_INVALID
                            ? 0
                            : utcOffsetFromBiases(zone.Bias, zone.StandardBias, zone.DaylightBias,
                                                  state == TIME_ZONE_ID_DAYLIGHT);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                     tm.tm_min,         tm.tm_sec,     tm.tm_wday, offset};
}

// 64 bits: no wrap after 49.7 days, as on Linux.
std::int64_t SystemClock::monotonicMs() {
    return static_cast<std::int64_t>(GetTickCount64());
}

void SystemClock::sleepMs(std::int64_t milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace kelvinor
