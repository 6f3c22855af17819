#include "logger/text/date_mask.h"

#include <array>
#include <cstdio>

namespace kelvinor {
namespace {

std::string digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

}  // namespace

std::string formatDateMask(std::string_view mask, const LocalTime& time) {
    struct Token {
        std::string_view name;
        int LocalTime::*field;
        int width;
    };
    static constexpr std::array<Token, 6> kTokens = {{{"%yyyy", &LocalTime::year, 4},
                                                      {"%mm", &LocalTime::month, 2},
                                                      {"%dd", &LocalTime::day, 2},
                                                      {"%hh", &LocalTime::hour, 2},
                                                      {"%ii", &LocalTime::minute, 2},
                                                      {"%ss", &LocalTime::second, 2}}};
    std::string out;
    std::size_t i = 0;
    while (i < mask.size()) {
        bool matched = false;
        if (mask[i] == '%') {
            for (const Token& token : kTokens) {
                if (mask.substr(i, token.name.size()) == token.name) {
                    out += digits(time.*token.field, token.width);
                    i += token.name.size();
                    matched = true;
                    break;
                }
            }
        }
        if (!matched) out += mask[i++];
    }
    return out;
}

std::string_view germanWeekday(int weekday) {
    static constexpr std::array<std::string_view, 7> kNames = {
        "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    if (weekday < 0 || weekday > 6) return {};
    return kNames[weekday];
}

}  // namespace kelvinor
