#include "curves/model/sensor_colours.h"

#include <iterator>

namespace kurven {
namespace {

// Hue (degrees), saturation and value (0-255) to red, green and blue, as
// QColor::fromHsv has it.
Rgb fromHsv(int hue, int saturation, int value) {
    const double s = saturation / 255.0, v = value / 255.0;
    const double h = hue / 60.0;
    const int sector = static_cast<int>(h) % 6;
    const double f = h - static_cast<int>(h);
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r = v, g = t, b = p;
    switch (sector) {
        case 1:
            r = q, g = v, b = p;
            break;
        case 2:
            r = p, g = v, b = t;
            break;
        case 3:
            r = p, g = q, b = v;
            break;
        case 4:
            r = t, g = p, b = v;
            break;
        case 5:
            r = v, g = p, b = q;
            break;
        default:
            break;
    }
    const auto byte = [](double x) { return static_cast<std::uint8_t>(x * 255 + 0.5); };
    return {byte(r), byte(g), byte(b)};
}

}  // namespace

Rgb sensorRgb(std::size_t sensor) {
    static const Rgb colours[] = {{0x1f, 0x77, 0xb4}, {0xd6, 0x27, 0x28}, {0x2c, 0xa0, 0x2c},
                                  {0xff, 0x7f, 0x0e}, {0x94, 0x67, 0xbd}, {0x8c, 0x56, 0x4b},
                                  {0xe3, 0x77, 0xc2}, {0x17, 0xbe, 0xcf}, {0xbc, 0xbd, 0x22},
                                  {0x7f, 0x7f, 0x7f}};
    if (sensor < std::size(colours)) return colours[sensor];
    const std::size_t n = sensor - std::size(colours);
    const int hue = static_cast<int>((n * 137.508) + 15) % 360;
    const int values[] = {200, 150, 240};
    return fromHsv(hue, 200, values[n % 3]);
}

}  // namespace kurven
