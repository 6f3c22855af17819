// play_cue_win32 CUES [GAP_MS]: opens the DirectSound output, loads the
// embedded cues as Kelvinor.exe does and plays the cues named by the digits
// of CUES one after the other, each followed by its own length plus GAP_MS of
// pause (default 1500 ms). A play that still goes on then (its buffer started
// late on a busy machine) is waited for before the pause, so that the next
// play never cuts it short and every play is a sound of its own. Prints
// "ready=0" and returns at once when there is no audio output.
// clang-format off
#include <windows.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <string>

#include "logger/desktop/win32/direct_sound_output.h"
#include "logger/features/sound/cue_images.h"
#include "logger/features/sound/riff_reader.h"

int main(int argc, char** argv) {
    const std::string cues = argc > 1 ? argv[1] : "0";
    const int gapMs = argc > 2 ? std::atoi(argv[2]) : 1500;
    kelvinor::DirectSoundOutput output;
    if (!output.open()) {
        std::printf("ready=0\n");
        return 0;
    }
    bool loaded = true;
    DWORD lengthMs[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const auto wave = kelvinor::readWave(kelvinor::cueImage(i));
        loaded = loaded && wave && output.loadCue(i, wave->format, wave->samples);
        if (wave)
            lengthMs[i] = static_cast<DWORD>(wave->samples.size() * 1000 /
                                             wave->format.averageBytesPerSecond);
    }
    std::printf("ready=1 loaded=%d\n", loaded ? 1 : 0);
    std::fflush(stdout);
    Sleep(1000);  // as in the program, whose first cue comes a while after the start
    for (const char c : cues) {
        const int cue = c - '0';
        if (cue < 0 || cue > 2) continue;
        output.play(cue);
        Sleep(lengthMs[cue]);
        for (int waited = 0; output.playing(cue) && waited < 5000; waited += 10) Sleep(10);
        Sleep(static_cast<DWORD>(gapMs));
    }
    Sleep(1000);  // the last cue's way to the speaker
    output.close();
    return loaded ? 0 : 1;
}
