// The local time of Kelvinor.exe is Windows' own, the one Horalux.exe shows
// (GetLocalTime), whatever a TZ variable says: ctest gives this test
// TZ=Europe/Berlin, which Wine turns into Windows' time zone and which the C
// runtime's localtime_s misreads as UTC.
#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>

#include "logger/platform/win32/system_clock.h"

namespace kelvinor {
namespace {

std::int64_t secondsOfDay(int hour, int minute, int second) {
    return hour * 3600 + minute * 60 + second;
}

TEST(WindowsClock, LocalTimeAndOffsetAreWindowsOwn) {
    SystemClock clock;
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const LocalTime now = clock.localNow();
    GetLocalTime(&after);
    const std::int64_t at = secondsOfDay(now.hour, now.minute, now.second);
    const std::int64_t from = secondsOfDay(before.wHour, before.wMinute, before.wSecond);
    const std::int64_t to = secondsOfDay(after.wHour, after.wMinute, after.wSecond);
    if (from <= to) {  // not across midnight
        EXPECT_GE(at, from);
        EXPECT_LE(at, to);
        EXPECT_EQ(now.day, after.wDay);
        EXPECT_EQ(now.weekday, after.wDayOfWeek);
    }
    // Berlin: an hour ahead of UTC in winter, two in summer.
    EXPECT_TRUE(now.utcOffsetSeconds == 3600 || now.utcOffsetSeconds == 7200)
        << now.utcOffsetSeconds;
    // A summer and a winter moment of 2026 in Berlin.
    const std::pair<std::int64_t, LocalTime> moments[] = {
        {1'782'820'800, {2026, 6, 30, 14, 0, 0, 2, 7200}},   // 2026-06-30 12:00 UTC
        {1'797'076'800, {2026, 12, 12, 13, 0, 0, 6, 3600}},  // 2026-12-12 12:00 UTC
    };
    for (const auto& [seconds, expected] : moments) {
        const LocalTime local = clock.toLocal(seconds);
        EXPECT_EQ(std::tuple(local.year, local.month, local.day, local.hour, local.minute,
                             local.weekday, local.utcOffsetSeconds),
                  std::tuple(expected.year, expected.month, expected.day, expected.hour,
                             expected.minute, expected.weekday, expected.utcOffsetSeconds))
            << seconds;
    }
}

}  // namespace
}  // namespace kelvinor
