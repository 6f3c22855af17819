#pragma once
// What the alarm check of one row found, per sensor in the order fault,
// cold, warm; the log row, the logbook and the e-mail make their texts of it.
#include <vector>

namespace kelvinor {

enum class AlarmKind { Fault, Cold, Warm };

struct Alarm {
    int sensor = 0;  // counted from 1
    AlarmKind kind = AlarmKind::Fault;

    bool operator==(const Alarm&) const = default;
};

using Alarms = std::vector<Alarm>;

}  // namespace kelvinor
