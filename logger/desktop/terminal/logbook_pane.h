#pragma once
// The logbook in a terminal: every row kept, shown wrapped to the pane's
// width. The pane follows the newest row until it is scrolled back, and
// again from the moment it is scrolled to the end. Scrolling and drawing
// look only at the rows on screen, however long the logbook grows.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvinor {

class LogbookPane {
  public:
    // Line breaks in `text` start new rows, as in the desktop's logbook.
    void append(std::string_view text);
    void clear();
    std::size_t rowCount() const { return rows_.size(); }

    // The screen lines of a pane `height` lines high and `width` cells wide.
    std::vector<std::string> visibleLines(int height, int width) const;
    bool followsNewest() const { return following_; }
    // The first row on screen (1-based), for the position shown beside the pane.
    std::size_t firstRowShown(int height, int width) const { return topRow(height, width) + 1; }

    void pageUp(int height, int width);
    void pageDown(int height, int width);
    void toStart() {
        following_ = rows_.empty();
        top_ = 0;
    }
    void toEnd() { following_ = true; }

  private:
    // The row at the top when the pane follows the newest row.
    std::size_t bottomTop(int height, int width) const;
    std::size_t topRow(int height, int width) const {
        return following_ ? bottomTop(height, width) : top_;
    }

    std::vector<std::string> rows_;
    bool following_ = true;
    std::size_t top_ = 0;  // when not following
};

}  // namespace kelvinor
