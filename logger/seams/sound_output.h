#pragma once
// The SoundOutput seam: the platform's audio output with one buffer per cue.
#include <cstdint>
#include <span>

#include "logger/constants/wave_format.h"

namespace kelvinor {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Opens the audio output; false when there is none.
    virtual bool open() = 0;
    // Loads cue `cue` from its sample data in the given format.
    virtual bool loadCue(int cue, const WaveFormat& format,
                         std::span<const std::uint8_t> samples) = 0;
    // Stops the cue if it still plays, rewinds it and plays it once; returns at once.
    virtual void play(int cue) = 0;
    // Releases the output and every cue.
    virtual void close() = 0;
};

}  // namespace kelvinor
