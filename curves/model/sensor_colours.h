#pragma once
// Each sensor's colour in the curves, the same in every view of them.
#include <cstddef>
#include <cstdint>

namespace kurven {

struct Rgb {
    std::uint8_t red, green, blue;
};

// Ten well-told-apart colours first; beyond them every sensor gets a hue of
// its own (the golden angle apart), in three lightnesses, so that no two of
// Kelvinor's 61 sensors share a colour.
Rgb sensorRgb(std::size_t sensor);

}  // namespace kurven
