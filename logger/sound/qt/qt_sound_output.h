#pragma once
// The sound output on Qt Multimedia: one audio sink per cue in the cue's own
// format, which reads the cue from memory. The sinks are fed from Qt's event
// loop: the program's pauses keep Qt's non-input events served (see the Qt
// host), so a cue plays on while the program waits.
#include <QByteArray>
#include <array>
#include <memory>

#include "logger/sound/sound_output.h"

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

  private:
    struct Cue {
        QByteArray samples;
        std::unique_ptr<QBuffer> buffer;   // the sink reads the cue from here
        std::unique_ptr<QAudioSink> sink;  // kept alive: stopping it at idle would cut the end
    };
    bool opened_ = false;
    std::array<Cue, 3> cues_;
};

}  // namespace kelvinor
