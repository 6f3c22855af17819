#include "logger/features/sound/sound_cues.h"

#include "logger/features/sound/cue_images.h"
#include "logger/features/sound/riff_reader.h"

namespace kelvinor {

void setUpSound(ProgramState& state, Host& host) {
    if (!host.sound.open() || state.soundEnabled != 1) return;
    state.soundReady = 1;
    for (int cue : {clickCue, problemCue, alarmCue})
        if (const auto wave = readWave(cueImage(cue)))
            host.sound.loadCue(cue, wave->format, wave->samples);
}

void playSoundCue(ProgramState& state, Host& host, int cue) {
    if (state.soundReady != 1 || state.soundEnabled != 1) return;
    host.sound.play(cue);
    host.clock.sleepMs(500);
}

}  // namespace kelvinor
