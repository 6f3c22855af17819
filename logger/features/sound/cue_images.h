#pragma once
// The three sound cues as complete RIFF/WAVE images stored in the program.
#include <cstdint>
#include <span>

namespace kelvinor {

// 0 click, 1 problem, 2 alarm; empty for any other number.
std::span<const std::uint8_t> cueImage(int cue);

}  // namespace kelvinor
