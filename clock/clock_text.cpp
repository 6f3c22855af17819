#include "clock/clock_text.h"

#include <algorithm>
#include <cstdio>

namespace horalux {

std::string clockText(const WallClock& t) {
    static const char* const kWeekdays[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                            "Donnerstag", "Freitag", "Samstag"};
    const char* weekday = t.weekday >= 0 && t.weekday <= 6 ? kWeekdays[t.weekday] : "";
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s\r %02d.%02d.%04d\r%02d:%02d:%02d", weekday, t.day,
                  t.month, t.year, t.hour, t.minute, t.second);
    return buffer;
}

Point clockWindowPosition(int screenWidth, int screenHeight, int outerWidth, int outerHeight) {
    if (screenWidth >= 1280 && screenHeight >= 1024) return {1043, 769};
    const int width = std::min(outerWidth, screenWidth);
    const int height = std::min(outerHeight, screenHeight);
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

}  // namespace horalux
