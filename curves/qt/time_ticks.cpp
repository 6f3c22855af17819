#include "curves/qt/time_ticks.h"

#include <QDateTime>
#include <algorithm>
#include <iterator>

namespace kurven {
namespace {

constexpr qint64 kDay = 86400;
// The steps in seconds a wall clock reader finds round.
constexpr qint64 kSteps[] = {1,     2,    5,        10,       15,        30,       60,    120,
                             300,   600,  900,      1800,     3600,      7200,     10800, 21600,
                             43200, kDay, 2 * kDay, 7 * kDay, 14 * kDay, 28 * kDay};

QString format(qint64 step) {
    if (step < 60) return QStringLiteral("dd.MM.yyyy<br>hh:mm:ss");
    if (step < kDay) return QStringLiteral("dd.MM.yyyy<br>hh:mm");
    return QStringLiteral("dd.MM.yyyy");
}

// The instant a wall time (kept as UTC) names in the zone; one the spring
// change skips is the hour after it.
QDateTime onWallClock(const QDateTime& wall, const QTimeZone& zone) {
    const QDateTime at(wall.date(), wall.time(), zone);
    return at.isValid() ? at : QDateTime(wall.date(), wall.time().addSecs(3600), zone);
}

}  // namespace

std::vector<TimeTick> timeTicks(qint64 fromMs, qint64 toMs, const QTimeZone& zone, int about) {
    std::vector<TimeTick> ticks;
    if (toMs <= fromMs || about < 1) return ticks;
    const qint64 rough = (toMs - fromMs) / 1000 / about;
    const qint64* found = std::find_if(std::begin(kSteps), std::end(kSteps),
                                       [rough](qint64 step) { return step >= rough; });
    const qint64 step = found == std::end(kSteps) ? kSteps[std::size(kSteps) - 1] : *found;
    const QString pattern = format(step);
    // Ticks under an hour apart are counted on real time (a clock change
    // moves local time by whole hours, so they stay round); an hour or more
    // apart on the wall clock, so that six-hour lines stay at 0, 6, 12, 18
    // o'clock across a change. The wall clock is kept as a UTC date-time.
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(fromMs, zone);
    const QDateTime wallStart(start.date(), start.time(), QTimeZone::utc());
    const QDateTime midnight(start.date(), QTime(0, 0), QTimeZone::utc());
    const qint64 intoDay = midnight.secsTo(wallStart) + (start.time().msec() > 0 ? 1 : 0);
    const qint64 firstIntoDay = (intoDay + step - 1) / step * step;
    QDateTime wall =
        step < kDay ? midnight.addSecs(firstIntoDay) : midnight.addDays(intoDay > 0 ? 1 : 0);
    // Under an hour, from the start on real time: its wall time may come twice.
    QDateTime tick =
        step < 3600
            ? QDateTime::fromMSecsSinceEpoch(
                  fromMs - start.time().msec() + (firstIntoDay - midnight.secsTo(wallStart)) * 1000,
                  zone)
            : onWallClock(wall, zone);
    while (tick.toMSecsSinceEpoch() <= toMs && ticks.size() < 100) {
        // A wall time the spring change skips lands on the next hour, which
        // may be a tick already.
        if (tick.toMSecsSinceEpoch() >= fromMs &&
            (ticks.empty() || tick.toMSecsSinceEpoch() > ticks.back().ms))
            ticks.push_back({tick.toMSecsSinceEpoch(), tick.toString(pattern)});
        if (step < 3600) {
            tick = tick.addSecs(step);
            continue;
        }
        wall = step < kDay ? wall.addSecs(step) : wall.addDays(step / kDay);
        tick = onWallClock(wall, zone);
    }
    return ticks;
}

}  // namespace kurven
