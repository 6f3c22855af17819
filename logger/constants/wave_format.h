#pragma once
#include <cstdint>

namespace kelvinor {

// The fields of a RIFF/WAVE "fmt " chunk.
struct WaveFormat {
    std::uint16_t formatTag = 0;  // 1 = PCM
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

}  // namespace kelvinor
