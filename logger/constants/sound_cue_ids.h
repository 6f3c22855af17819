#pragma once
// The numbers of the program's three sound cues.

namespace kelvinor {

inline constexpr int clickCue = 0;
inline constexpr int problemCue = 1;
inline constexpr int alarmCue = 2;

}  // namespace kelvinor
