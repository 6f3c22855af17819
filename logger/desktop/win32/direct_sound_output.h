#pragma once
// The SoundOutput seam on DirectSound, loaded at run time: without
// dsound.dll or a sound device the cues are silent and nothing else changes.
#include <map>

#include "logger/seams/sound_output.h"

struct HINSTANCE__;
struct IDirectSound;
struct IDirectSoundBuffer;

namespace kelvinor {

class DirectSoundOutput final : public SoundOutput {
  public:
    ~DirectSoundOutput() override;
    bool open() override;
    bool loadCue(int cue, const WaveFormat& format, std::span<const std::uint8_t> samples) override;
    void play(int cue) override;
    void close() override;
    // Whether `cue`'s buffer still plays (for the audio tests, which pace
    // their plays by it).
    bool playing(int cue) const;

  private:
    HINSTANCE__* library_ = nullptr;
    IDirectSound* device_ = nullptr;
    std::map<int, IDirectSoundBuffer*> cues_;
};

}  // namespace kelvinor
