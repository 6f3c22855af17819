// play_cue CUES [GAP_MS]: opens the real Qt Multimedia sound output, loads the
// embedded cues as Kelvinor does and plays the cues named by the digits of
// CUES one after the other, each followed by its own length plus GAP_MS of
// pause (default 1500 ms) during which Qt's events are served, as in the
// program's pauses. A play that is still going then (a stream that started
// late on a busy machine) is waited for before the pause, so that the next
// play never cuts it short and every play is a sound of its own. Prints
// "ready=0" and returns at once when there is no audio output.
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "logger/desktop/qt/qt_sound_output.h"
#include "logger/features/sound/cue_images.h"
#include "logger/features/sound/riff_reader.h"

namespace {

void pause(std::chrono::milliseconds length) {
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::string cues = argc > 1 ? argv[1] : "0";
    const int gapMs = argc > 2 ? std::atoi(argv[2]) : 1500;
    kelvinor::QtSoundOutput output;
    if (!output.open()) {
        std::printf("ready=0\n");
        return 0;
    }
    bool loaded = true;
    int lengthMs[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const auto wave = kelvinor::readWave(kelvinor::cueImage(i));
        loaded = loaded && wave && output.loadCue(i, wave->format, wave->samples);
        if (wave)
            lengthMs[i] =
                static_cast<int>(wave->samples.size() * 1000 / wave->format.averageBytesPerSecond);
    }
    std::printf("ready=1 loaded=%d\n", loaded ? 1 : 0);
    std::fflush(stdout);
    // As in the program, whose first cue comes a while after the start.
    pause(std::chrono::milliseconds(1000));
    for (char c : cues) {
        const int cue = c - '0';
        if (cue < 0 || cue > 2) continue;
        output.play(cue);
        pause(std::chrono::milliseconds(lengthMs[cue]));
        for (int waited = 0; output.playing(cue) && waited < 5000; waited += 10)
            pause(std::chrono::milliseconds(10));
        pause(std::chrono::milliseconds(gapMs));
    }
    pause(std::chrono::milliseconds(1000));  // the last cue's way to the speaker
    output.close();
    // As Kelvinor ends: without the library teardown (see the Qt host).
    std::fflush(nullptr);
    _exit(0);
}
