#pragma once
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

inline constexpr int clickCue = 0;
inline constexpr int problemCue = 1;
inline constexpr int alarmCue = 2;

// Opens the sound output; only then, with sound enabled, the cues are loaded.
void setUpSound(ProgramState& state, Host& host);

// Starts the cue and pauses 500 ms; silent and without pause when sound is not ready.
void playSoundCue(ProgramState& state, Host& host, int cue);

}  // namespace kelvinor
