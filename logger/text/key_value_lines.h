#pragma once
// Settings files of "KEY value" lines: blanks around the line and between
// key and value do not count, a line whose first non-blank character is "#"
// is a comment (a "#" inside a value is part of it), empty lines are skipped.
#include <string_view>
#include <utility>
#include <vector>

namespace kelvinor {

struct KeyValueLine {
    int number = 0;  // counted from 1
    std::string_view key;
    std::string_view value;  // may hold blanks inside
};

// The first word of a trimmed text and the rest after the blanks that follow it.
std::pair<std::string_view, std::string_view> splitFirstWord(std::string_view text);

// The views point into `text`.
std::vector<KeyValueLine> keyValueLines(std::string_view text);

}  // namespace kelvinor
