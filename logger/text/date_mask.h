#pragma once
// Calendar texts: the date masks with the tokens %yyyy, %mm, %dd, %hh, %ii
// and %ss, and the German weekday names.
#include <string>
#include <string_view>

namespace kelvinor {

// A local calendar time broken down into its fields.
struct LocalTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;            // 0 = Sunday
    long utcOffsetSeconds = 0;  // local time minus UTC
};

inline constexpr std::string_view kDateMask = "%dd.%mm.%yyyy";
inline constexpr std::string_view kTimeMask = "%hh:%ii:%ss";

// The mask with every token replaced by its field; other text is copied.
std::string formatDateMask(std::string_view mask, const LocalTime& time);

// "Sonntag" to "Samstag"; an out-of-range number gives an empty text.
std::string_view germanWeekday(int weekday);

}  // namespace kelvinor
