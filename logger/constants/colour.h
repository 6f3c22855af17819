#pragma once
#include <cstdint>

namespace kelvinor {

// Windows colour values, bytes 0x00BBGGRR.
using Colour = std::uint32_t;

inline constexpr Colour kLightGrey = 0xC0C0C0;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kBlack = 0;

inline constexpr int redOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int greenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int blueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

}  // namespace kelvinor
