#pragma once
// Where the time axis has its grid lines and labels: on round local times
// (whole seconds, minutes, quarter hours, hours, days), about six to the
// visible range, whatever the zoom. Qt's date-time axis divides the range
// into equal parts, so its lines fell on times such as 10:50:37.
#include <QString>
#include <QTimeZone>
#include <vector>

namespace kurven {

struct TimeTick {
    qint64 ms;      // milliseconds since 1970 (UTC), as the chart's axis counts
    QString label;  // local date and time, two lines
};

std::vector<TimeTick> timeTicks(qint64 fromMs, qint64 toMs, const QTimeZone& zone, int about = 6);

}  // namespace kurven
