#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logger/system/files.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"
#include "logger/text/line_reader.h"
#include "logger/text/number_text.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace std::string_literals;

TEST(Cp1252, ConvertsUtf8ToSingleBytes) {
    struct Case {
        std::string utf8;
        std::string cp1252;
    };
    const Case cases[] = {
        {"", ""},
        {"Kelvinor", "Kelvinor"},
        {"für", "f\xFCr"},
        {"°C",
         "\xB0"
         "C"},
        {"WÄRMER KÄLTER", "W\xC4RMER K\xC4LTER"},
        {"ßöüÖÜ", "\xDF\xF6\xFC\xD6\xDC"},
        {"€ „x“ – —", "\x80 \x84x\x93 \x96 \x97"},
        {"Ÿ™", "\x9F\x99"},
        {"日本", "??"},  // outside CP1252
        {"😀", "?"},      // four-byte sequence
        {"a\xFF"
         "b",
         "a?b"},                // invalid lead byte
        {"a\xC3", "a?"},        // truncated sequence
        {"\xC3(", "?("},        // bad continuation keeps the next character
        {"\xC0\x80", "?"},      // overlong NUL
        {"\xED\xA0\x80", "?"},  // surrogate
        {"tab\tcr\r", "tab\tcr\r"},
        {"\0x"s, "\0x"s},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ("Überschrift"_cp,
              "\xDC"
              "berschrift");
}

TEST(Cp1252, EveryByteSurvivesARoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "€");
    EXPECT_EQ(cp1252ToUtf8("\xB0"), "°");
    EXPECT_EQ(toPath("M\xFC"
                     "ll.klv")
                  .string(),
              "Müll.klv");
}

TEST(Cp1252, WideTextsHaveEveryCharactersCodePoint) {
    struct Case {
        std::string cp1252;
        std::wstring wide;
    };
    const Case cases[] = {
        {"", L""},
        {"Keller", L"Keller"},
        {"K\xFC"
         "che 21\xB0"
         "C",
         L"K\u00FCche 21\u00B0C"},
        {"\x80\x8A\x9F", L"\u20AC\u0160\u0178"},  // the bytes that are not Latin-1
        {"\x81\x8D\x8F\x90\x9D", L"\u0081\u008D\u008F\u0090\u009D"},  // left undefined
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(cp1252ToWide(c.cp1252), c.wide) << c.cp1252;
    // Every byte is one character: Latin-1 outside 0x80 to 0x9F, and the 32
    // bytes between each a code point of its own.
    std::wstring high;
    for (int b = 0; b < 256; ++b) {
        const std::wstring wide = cp1252ToWide(std::string(1, static_cast<char>(b)));
        ASSERT_EQ(wide.size(), 1u) << b;
        if (b < 0x80 || b > 0x9F)
            EXPECT_EQ(static_cast<int>(wide[0]), b);
        else
            high += wide;
    }
    std::sort(high.begin(), high.end());
    EXPECT_EQ(std::unique(high.begin(), high.end()), high.end());
}

TEST(NumberText, TwoDecimalsWithDecimalComma) {
    struct Case {
        double value;
        const char* point;
        const char* comma;
    };
    const Case cases[] = {
        {126.0, "126.00", "126,00"},
        {-56.0, "-56.00", "-56,00"},
        {5.0, "5.00", "5,00"},
        {25.5, "25.50", "25,50"},
        {0.0, "0.00", "0,00"},
        {1.234, "1.23", "1,23"},
        {2.675, "2.67", "2,67"},  // binary 2.67499999...
        {0.125, "0.12", "0,12"},  // exact tie goes to even, as printf does
        {79.8 + 0.3, "80.10", "80,10"},
        {-35.0, "-35.00", "-35,00"},
        {1e20, "100000000000000000000.00", "100000000000000000000,00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatTwoDecimals(c.value), c.point) << c.value;
        EXPECT_EQ(formatTemperature(c.value), c.comma) << c.value;
    }
    EXPECT_EQ(withDecimalComma("1.2.3"), "1,2,3");
    EXPECT_EQ(withDecimalPoint("1.234,5"), "1.234.5");
}

TEST(NumberText, ReadsTheLongestLeadingDecimalNumber) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string text;
        double value;
    };
    const Case cases[] = {
        {"", 0.0},
        {"   ", 0.0},
        {"-", 0.0},
        {"+", 0.0},
        {".", 0.0},
        {"e5", 0.0},
        {"abc", 0.0},
        {"nan", 0.0},
        {"inf", 0.0},
        {"0x1A", 0.0},
        {"25.5", 25.5},
        {"25,5", 25.0},
        {"85,00", 85.0},
        {" 85.00", 85.0},
        {"\t-10", -10.0},
        {"+7.", 7.0},
        {".5", 0.5},
        {"1.234.5", 1.234},
        {"1e3", 1000.0},
        {"1E+2x", 100.0},
        {"2e", 2.0},
        {"2e-", 2.0},
        {"1.5e-1", 0.15},
        {"12abc", 12.0},
        {"1e400", inf},
        {"-1e400", -inf},
        {"1e-400", 0.0},
        {"0.0001e309", 1e305},
        {"\n\v\f\r 3", 3.0},
        {"- 3", 0.0},
        {std::string(500, '9'), inf},
        {"0." + std::string(400, '0') + "1", 0.0},
        {"\xB0\xFF", 0.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readDecimalPrefix(c.text), c.value) << '"' << c.text << '"';
    EXPECT_TRUE(std::signbit(readDecimalPrefix("-0")));
}

TEST(NumberText, ReadsTheLeadingInteger) {
    struct Case {
        std::string text;
        std::int64_t value;
    };
    const Case cases[] = {
        {"", 0},
        {"1000", 1000},
        {" 500", 500},
        {"\t\t42x", 42},
        {"-999", -999},
        {"+12", 12},
        {"2345", 2345},
        {"TIME", 0},
        {"1.5", 1},
        {"\n5", 0},
        {"- 5", 0},
        {"12 34", 12},
        {std::string(40, '9'), std::numeric_limits<std::int64_t>::max()},
        {"-" + std::string(40, '9'), -std::numeric_limits<std::int64_t>::max()},
    };
    for (const Case& c : cases) EXPECT_EQ(readIntegerPrefix(c.text), c.value) << c.text;
}

TEST(DateMask, ReplacesEveryToken) {
    const LocalTime t{2026, 12, 6, 23, 31, 5, 0, 3600};
    const LocalTime early{987, 1, 2, 3, 4, 9, 1, 0};
    struct Case {
        std::string mask;
        LocalTime time;
        std::string text;
    };
    const Case cases[] = {
        {"%dd.%mm.%yyyy", t, "06.12.2026"},
        {"%hh:%ii:%ss", t, "23:31:05"},
        {"%hh:%ii:%ss  ", t, "23:31:05  "},
        {"%yyyy%mm%dd", t, "20261206"},
        {"%hh%ii%ss", t, "233105"},
        {" %dd.%mm.%yyyy", early, " 02.01.0987"},
        {"%hh:%ii:%ss", early, "03:04:09"},
        {"100% %x %y %yyy", t, "100% %x %y %yyy"},
        {"%%dd", t, "%06"},
        {"", t, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(formatDateMask(c.mask, c.time), c.text) << c.mask;
}

TEST(DateMask, GermanWeekdays) {
    const char* names[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                           "Donnerstag", "Freitag", "Samstag"};
    for (int d = 0; d < 7; ++d) EXPECT_EQ(germanWeekday(d), names[d]);
    EXPECT_EQ(germanWeekday(7), "");
    EXPECT_EQ(germanWeekday(-1), "");
}

std::vector<std::string> linesOf(const std::string& text, int count) {
    std::istringstream in(text);
    LineReader reader(in);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) lines.push_back(reader.next());
    return lines;
}

TEST(LineReader, SplitsAtCrLfAndCrLfAndReadsEmptyLinesPastTheEnd) {
    using L = std::vector<std::string>;
    struct Case {
        std::string text;
        L lines;
    };
    const Case cases[] = {
        {"", {"", "", ""}},
        {"a", {"a", "", ""}},
        {"a\nb\n", {"a", "b", ""}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\rb\r", {"a", "b", ""}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\nb", {"a", "", "b"}},
        {"\n\n\n", {"", "", ""}},
        {"x\0y\nz"s, {"x\0y"s, "z", ""}},
        {"\xFF\xFE\x80\n\x01", {"\xFF\xFE\x80", "\x01", ""}},
        {"tab\there\r\n", {"tab\there", "", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(linesOf(c.text, 3), c.lines);
}

TEST(Files, SizeIsMinusOneWhenMissingAndNegativeForAFolder) {
    testing::TemporaryWorkFolder folder;
    EXPECT_EQ(fileSize("missing"), -1);
    testing::writeFile("empty", "");
    EXPECT_EQ(fileSize("empty"), 0);
    testing::writeFile("five", "12345");
    EXPECT_EQ(fileSize("five"), 5);
    std::filesystem::create_directory("folder");
    EXPECT_LT(fileSize("folder"), -1);
#ifndef _WIN32  // symbolic links need a privilege on Windows
    std::filesystem::create_symlink("five", "link");
    EXPECT_EQ(fileSize("link"), 5);
    std::filesystem::create_symlink("nowhere", "dangling");
    EXPECT_EQ(fileSize("dangling"), -1);
#endif
    EXPECT_EQ(fileSize(""), -1);
#ifdef _WIN32
    std::ofstream(std::filesystem::path(L"M\u00fcll")) << "xy";  // UTF-16 on disk
#else
    testing::writeFile("M\xC3\xBCll", "xy");  // UTF-8 on disk
#endif
    EXPECT_EQ(fileSize("M\xFCll"), 2);  // CP1252 in the program
}

TEST(Files, OpenOrCreateNeverShortensAndNeverOpensAFolder) {
    testing::TemporaryWorkFolder folder;
    std::fstream file;
    ASSERT_TRUE(openOrCreate(file, "new.ini"));
    file.close();
    EXPECT_EQ(fileSize("new.ini"), 0);
    testing::writeFile("old.ini", "keep me");
    ASSERT_TRUE(openOrCreate(file, "old.ini"));
    file.close();
    EXPECT_EQ(testing::readFile("old.ini"), "keep me");
    std::filesystem::create_directory("dir.ini");
    EXPECT_FALSE(openOrCreate(file, "dir.ini"));
    EXPECT_FALSE(openOrCreate(file, ""));
    deleteFile("dir.ini");
    EXPECT_TRUE(std::filesystem::is_directory("dir.ini"));
    deleteFile("old.ini");
    deleteFile("old.ini");
    EXPECT_EQ(fileSize("old.ini"), -1);
}

}  // namespace
}  // namespace kelvinor

namespace kelvinor {
namespace {

TEST(TextHelpers, WellFormedUtf8IsToldFromCp1252) {
    const std::pair<std::string_view, bool> cases[] = {
        {"", true},
        {"Log-Datum\t21,50", true},
        {"K\xC3\xBC"
         "che",
         true},
        {"\xF0\x9F\x98\x80", true},  // beyond the Basic Multilingual Plane
        {"K\xFC"
         "che",
         false},                      // CP1252
        {"\xC3", false},              // cut short
        {"\xE2\x82", false},          // cut short
        {"\xC0\xAF", false},          // overlong
        {"\xE0\x80\xAF", false},      // overlong
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\x80", false},              // a lone continuation byte
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(isUtf8(bytes), utf8) << bytes;
}

}  // namespace
}  // namespace kelvinor
