#pragma once
// The recording interval: its entry, the minimum, and the schedule lines.
#include <cstdint>
#include <optional>
#include <string>

#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// The shortest interval the sensors allow, a whole number of seconds in ms.
double minimumIntervalMs(int readTimeMs, int sensorCount);

// The interval an entry asks for ("M5", "s 10", "h1.5"); nullopt for no
// unit letter, no usable number, or a value outside a 64-bit millisecond count.
std::optional<std::int64_t> parseIntervalEntry(const std::string& entry);

// The tick at which the next cycle is due: the row's tick plus the interval,
// less the time the next read is allowed. Saturates at the ends of the 64-bit
// range, so the longest intervals mean "not in this program's lifetime".
std::int64_t nextDueTickAfter(std::int64_t rowTick, std::int64_t intervalMs,
                              std::int64_t readAllowanceMs);

void askRecordingInterval(ProgramState& state, Host& host);
void showSchedule(ProgramState& state, Host& host);

// The texts of the main window's three information lines.
std::string intervalLineText(const ProgramState& state, bool recording);
std::string lastRecordLineText(const ProgramState& state);
std::string nextRecordLineText(const ProgramState& state);

}  // namespace kelvinor
