#include "logger/sound/sound_cues.h"

namespace kelvinor {

void setUpSound(ProgramState& state, Host& host) {
    if (!host.sound.open() || state.soundEnabled != 1) return;
    state.soundReady = 1;
}

void playSoundCue(ProgramState& state, Host& host, int cue) {
    if (state.soundReady != 1 || state.soundEnabled != 1) return;
    host.sound.play(cue);
    host.clock.sleepMs(500);
}

}  // namespace kelvinor
