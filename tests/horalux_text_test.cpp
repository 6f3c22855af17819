#include <gtest/gtest.h>

#include "clock/clock_text.h"

namespace horalux {
namespace {

TEST(HoraluxText, EveryWeekdayWithDateAndTime) {
    const char* names[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                           "Donnerstag", "Freitag", "Samstag"};
    for (int d = 0; d < 7; ++d)
        EXPECT_EQ(clockText({2026, 12, 6 + d, 9, 5, 7, d}),
                  std::string(names[d]) + "\r " + (6 + d < 10 ? "0" : "") + std::to_string(6 + d) +
                      ".12.2026\r09:05:07");
}

TEST(HoraluxText, MidnightChangesWeekdayDateAndTimeTogether) {
    EXPECT_EQ(clockText({2026, 12, 31, 23, 59, 59, 4}), "Donnerstag\r 31.12.2026\r23:59:59");
    EXPECT_EQ(clockText({2027, 1, 1, 0, 0, 0, 5}), "Freitag\r 01.01.2027\r00:00:00");
}

TEST(HoraluxPlacement, FixedCornerOnLargeScreensOtherwiseCentred) {
    struct Case {
        int w, h;
        Point at;
    };
    const Case cases[] = {{1280, 1024, {1043, 769}}, {1920, 1200, {1043, 769}},
                          {1024, 768, {452, 356}},   {1600, 900, {740, 422}},
                          {1279, 1024, {579, 484}},  {100, 40, {0, 0}}};
    for (const Case& c : cases)
        EXPECT_EQ(clockWindowPosition(c.w, c.h, 120, 55), c.at) << c.w << "x" << c.h;
}

}  // namespace
}  // namespace horalux
