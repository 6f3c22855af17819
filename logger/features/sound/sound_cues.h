#pragma once
#include "logger/constants/sound_cue_ids.h"
#include "logger/seams/host.h"
#include "logger/state/program_state.h"

namespace kelvinor {

// Opens the sound output; only then, with sound enabled, the cues are loaded.
void setUpSound(ProgramState& state, Host& host);

// Starts the cue and pauses 500 ms; silent and without pause when sound is not ready.
void playSoundCue(ProgramState& state, Host& host, int cue);

}  // namespace kelvinor
