#include "logger/desktop/terminal/logbook_pane.h"

#include "logger/desktop/terminal/text_layout.h"

namespace kelvinor {
namespace {

int linesOf(const std::string& row, int width) {
    return static_cast<int>(wrapText(row, width).size());
}

}  // namespace

void LogbookPane::append(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        rows_.emplace_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
}

void LogbookPane::clear() {
    rows_.clear();
    following_ = true;
    top_ = 0;
}

std::size_t LogbookPane::bottomTop(int height, int width) const {
    std::size_t top = rows_.size();
    for (int used = 0; top > 0;) {
        used += linesOf(rows_[top - 1], width);
        if (used > height && top < rows_.size()) break;
        --top;
    }
    return top;
}

std::vector<std::string> LogbookPane::visibleLines(int height, int width) const {
    std::vector<std::string> lines;
    const std::size_t top = topRow(height, width);
    for (std::size_t row = top; row < rows_.size() && static_cast<int>(lines.size()) < height;
         ++row)
        for (std::string& line : wrapText(rows_[row], width))
            if (static_cast<int>(lines.size()) < height) lines.push_back(std::move(line));
    return lines;
}

void LogbookPane::pageUp(int height, int width) {
    std::size_t top = topRow(height, width);
    for (int used = 0; top > 0; --top) {
        const int lines = linesOf(rows_[top - 1], width);
        if (used > 0 && used + lines > height - 1) break;
        used += lines;
    }
    top_ = top;
    following_ = false;
}

void LogbookPane::pageDown(int height, int width) {
    if (following_) return;
    std::size_t top = top_;
    for (int used = 0; top < rows_.size(); ++top) {
        const int lines = linesOf(rows_[top], width);
        if (used > 0 && used + lines > height - 1) break;
        used += lines;
    }
    // Once the last page is reached the pane follows the newest row again.
    if (top >= bottomTop(height, width)) {
        following_ = true;
        return;
    }
    top_ = top;
}

}  // namespace kelvinor
