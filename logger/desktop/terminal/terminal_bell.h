#pragma once
// The terminal edition's sound: the terminal's bell for an alarm and for a
// problem; the click of the buttons stays silent. With the bell the program
// keeps its pause after every cue, as the desktop editions do with sound.
#include "logger/seams/sound_output.h"

namespace kelvinor {

class TerminalBell final : public SoundOutput {
  public:
    bool open() override { return true; }
    bool loadCue(int, const WaveFormat&, std::span<const std::uint8_t>) override { return true; }
    void play(int cue) override;
    void close() override {}
};

}  // namespace kelvinor
