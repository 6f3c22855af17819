// play_cue N: opens the real Qt Multimedia sound output, loads the embedded
// cues as Kelvinor does, plays cue N and waits for it; prints "ready=0" and
// returns at once when there is no audio output.
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "logger/sound/cue_images.h"
#include "logger/sound/qt/qt_sound_output.h"
#include "logger/sound/riff_reader.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int cue = argc > 1 ? std::atoi(argv[1]) : 0;
    kelvinor::QtSoundOutput output;
    if (!output.open()) {
        std::printf("ready=0\n");
        return 0;
    }
    bool loaded = true;
    for (int i = 0; i < 3; ++i) {
        const auto wave = kelvinor::readWave(kelvinor::cueImage(i));
        loaded = loaded && wave && output.loadCue(i, wave->format, wave->samples);
    }
    std::printf("ready=1 loaded=%d\n", loaded ? 1 : 0);
    std::fflush(stdout);
    output.play(cue);
    // A pause as the program's own: no user input, Qt's other events served.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    output.close();
    // As Kelvinor ends: without the library teardown, which can abort in Qt's
    // PulseAudio backend after the last sink is gone.
    std::fflush(nullptr);
    _exit(0);
}
