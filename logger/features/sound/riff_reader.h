#pragma once
// Reads a RIFF/WAVE image: "RIFF", "WAVE", the "fmt " chunk at byte 12, then
// the chunks up to "data" (odd lengths followed by a fill byte).
#include <cstdint>
#include <optional>
#include <span>

#include "logger/constants/wave_format.h"

namespace kelvinor {

struct WaveSound {
    WaveFormat format;
    std::span<const std::uint8_t> samples;
};

// Refuses a malformed image (truncated, a length past its end, no "data", a
// zero or absurd format) without reading past it.
std::optional<WaveSound> readWave(std::span<const std::uint8_t> image);

}  // namespace kelvinor
