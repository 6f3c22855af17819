#include "tests/support/fake_clock.h"

#include <chrono>

namespace kelvinor::testing {

using namespace std::chrono;

FakeClock::FakeClock(int year, int month, int day, int hour, int minute, int second,
                     long utcOffsetSeconds)
    : offset_(utcOffsetSeconds) {
    const sys_days date =
        year_month_day{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    epochSeconds_ = date.time_since_epoch().count() * 86400LL + hour * 3600 + minute * 60 + second -
                    utcOffsetSeconds;
}

LocalTime FakeClock::toLocal(std::int64_t calendarSeconds) {
    const std::int64_t local = calendarSeconds + offset_;
    std::int64_t days = local / 86400;
    std::int64_t rest = local % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const sys_days date{std::chrono::days(days)};
    const year_month_day ymd{date};
    const weekday wd{date};
    return LocalTime{static_cast<int>(ymd.year()),
                     static_cast<int>(static_cast<unsigned>(ymd.month())),
                     static_cast<int>(static_cast<unsigned>(ymd.day())),
                     static_cast<int>(rest / 3600),
                     static_cast<int>(rest / 60 % 60),
                     static_cast<int>(rest % 60),
                     static_cast<int>(wd.c_encoding()),
                     offset_};
}

}  // namespace kelvinor::testing
