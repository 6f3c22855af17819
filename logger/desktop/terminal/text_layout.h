#pragma once
// Text laid out in terminal cells. The program's texts are CP1252, one cell
// per character; tabs are expanded to the next multiple of eight.
#include <string>
#include <string_view>
#include <vector>

namespace kelvinor {

// One line's tabs expanded to blanks.
std::string expandTabs(std::string_view line);

// The text in lines of at most `width` cells: CR, LF and CR LF break lines,
// long lines break after the last blank that fits, or hard where none does.
std::vector<std::string> wrapText(std::string_view text, int width);

}  // namespace kelvinor
