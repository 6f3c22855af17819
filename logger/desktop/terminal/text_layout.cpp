#include "logger/desktop/terminal/text_layout.h"

namespace kelvinor {

std::string expandTabs(std::string_view line) {
    std::string out;
    for (char c : line) {
        if (c != '\t') {
            out += c;
            continue;
        }
        do out += ' ';
        while (out.size() % 8 != 0);
    }
    return out;
}

namespace {

void wrapLine(const std::string& line, std::size_t width, std::vector<std::string>& into) {
    std::size_t from = 0;
    while (line.size() - from > width) {
        std::size_t cut = line.rfind(' ', from + width);
        if (cut == std::string::npos || cut <= from) {
            into.push_back(line.substr(from, width));
            from += width;
            continue;
        }
        into.push_back(line.substr(from, cut - from));
        from = cut + 1;
    }
    into.push_back(line.substr(from));
}

}  // namespace

std::vector<std::string> wrapText(std::string_view text, int width) {
    std::vector<std::string> lines;
    const std::size_t cells = width < 1 ? 1 : static_cast<std::size_t>(width);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        wrapLine(expandTabs(text.substr(start, i - start)), cells, lines);
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

}  // namespace kelvinor
