#pragma once
// The sound output on Qt Multimedia. Each cue keeps its samples in memory;
// every play opens a fresh audio sink for it that reads the cue from its
// start. A sink is never started twice: with Qt 6.4's PulseAudio backend a
// restarted sink falls silent after a few plays (buffer underflows cut it
// short). A cue's previous sink is stopped and released when it is played
// again; different cues have sinks of their own and can sound together. The
// sinks are fed from Qt's event loop, which the program's pauses keep served.
#include <QAudioFormat>
#include <QByteArray>
#include <array>
#include <memory>

#include "logger/seams/sound_output.h"

class QAudioSink;
class QBuffer;

namespace kelvinor {

class QtSoundOutput final : public SoundOutput {
  public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    bool open() override;
    bool loadCue(int cue, const WaveFormat& format, std::span<const std::uint8_t> samples) override;
    void play(int cue) override;
    void close() override;
    // Whether the latest play of `cue` is still on its way to the speaker
    // (for the audio tests, which pace their plays by it).
    bool playing(int cue) const;

  private:
    struct Cue {
        QAudioFormat format;
        QByteArray samples;                // a short silent lead-in, then the cue
        std::unique_ptr<QBuffer> buffer;   // the playing sink reads the cue from here
        std::unique_ptr<QAudioSink> sink;  // the latest play's; kept until the next one
    };
    bool opened_ = false;
    std::array<Cue, 3> cues_;
};

}  // namespace kelvinor
