// The terminal's text layout and the logbook pane's paging.
#include <gtest/gtest.h>

#include "logger/desktop/terminal/logbook_pane.h"
#include "logger/desktop/terminal/text_layout.h"

namespace kelvinor {
namespace {

TEST(TerminalLayout, WrapsAtBlanksBreaksAtLineEndsAndExpandsTabs) {
    struct Case {
        std::string text;
        int width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", 10, {""}},
        {"kurz", 10, {"kurz"}},
        {"eins zwei drei", 9, {"eins zwei", "drei"}},
        {"eins\rzwei\r\ndrei\nvier", 20, {"eins", "zwei", "drei", "vier"}},
        {"\rLog-Datum", 20, {"", "Log-Datum"}},
        {"abcdefghijkl", 5, {"abcde", "fghij", "kl"}},  // no blank: hard breaks
        {"a\tb", 20, {"a       b"}},
        {"09.12.2026\t17:05:24\t5,00", 40, {"09.12.2026      17:05:24        5,00"}},
        {"x", 0, {"x"}},  // a width below one cell counts as one
    };
    for (const Case& c : cases) EXPECT_EQ(wrapText(c.text, c.width), c.lines) << c.text;
}

// Rows "1" to "n", each one line wide, in a pane of 4 lines.
LogbookPane paneOf(int rows) {
    LogbookPane pane;
    for (int i = 1; i <= rows; ++i) pane.append(std::to_string(i));
    return pane;
}

TEST(TerminalLayout, TheLogbookFollowsTheNewestRowUntilPagedBack) {
    struct Case {
        const char* keys;  // u: page up, d: page down, h: start, e: end, +: a new row
        std::vector<std::string> shown;
        bool following;
    };
    const Case cases[] = {
        {"", {"7", "8", "9", "10"}, true},
        {"+", {"8", "9", "10", "11"}, true},
        {"u", {"4", "5", "6", "7"}, false},
        {"u+", {"4", "5", "6", "7"}, false},  // a new row does not move a paged-back pane
        {"uu", {"1", "2", "3", "4"}, false},
        {"uuu", {"1", "2", "3", "4"}, false},
        {"h", {"1", "2", "3", "4"}, false},
        {"hd", {"4", "5", "6", "7"}, false},
        {"hdd", {"7", "8", "9", "10"}, true},  // the last page follows again
        {"hdd+", {"8", "9", "10", "11"}, true},
        {"he+", {"8", "9", "10", "11"}, true},
        {"d", {"7", "8", "9", "10"}, true},
    };
    for (const Case& c : cases) {
        LogbookPane pane = paneOf(10);
        int next = 11;
        for (const char* key = c.keys; *key != '\0'; ++key) {
            if (*key == 'u') pane.pageUp(4, 20);
            if (*key == 'd') pane.pageDown(4, 20);
            if (*key == 'h') pane.toStart();
            if (*key == 'e') pane.toEnd();
            if (*key == '+') pane.append(std::to_string(next++));
        }
        EXPECT_EQ(pane.visibleLines(4, 20), c.shown) << c.keys;
        EXPECT_EQ(pane.followsNewest(), c.following) << c.keys;
    }
}

TEST(TerminalLayout, LongRowsWrapInThePaneAndLineBreaksStartRows) {
    LogbookPane pane;
    pane.append("alpha beta gamma");  // two lines at width 11
    pane.append("eins\r\nzwei");
    EXPECT_EQ(pane.rowCount(), 3u);
    EXPECT_EQ(pane.visibleLines(4, 11),
              (std::vector<std::string>{"alpha beta", "gamma", "eins", "zwei"}));
    // Three lines high: only whole rows from the top of those that fit.
    EXPECT_EQ(pane.visibleLines(3, 11), (std::vector<std::string>{"eins", "zwei"}));
    pane.pageUp(3, 11);
    EXPECT_EQ(pane.visibleLines(3, 11), (std::vector<std::string>{"alpha beta", "gamma", "eins"}));
}

}  // namespace
}  // namespace kelvinor
