#pragma once
// The text and the place of the Horalux window, as plain functions.
#include <string>

namespace horalux {

struct WallClock {
    int year, month, day, hour, minute, second;
    int weekday;  // 0 = Sunday
};

// Weekday, " dd.mm.yyyy" and "hh:mm:ss", joined by single CR characters.
std::string clockText(const WallClock& time);

struct Point {
    int x, y;
    bool operator==(const Point&) const = default;
};

// The outer top-left corner: (1043, 769) on a screen of at least 1280 x 1024,
// otherwise the outer size, clipped to the screen, centred on it.
Point clockWindowPosition(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

}  // namespace horalux
