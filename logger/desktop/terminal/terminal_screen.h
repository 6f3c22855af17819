#pragma once
// The terminal through ncurses: cells written with CP1252 text and a style,
// shown in the terminal's own encoding, and keys read with a time limit.
#include <optional>
#include <string_view>

#include "logger/constants/colour.h"

namespace kelvinor {

struct CellStyle {
    bool coloured = false;  // else the terminal's own colours
    Colour text = kBlack;
    std::optional<Colour> background = std::nullopt;  // none: the terminal's own
    bool bold = false;
    bool dim = false;
    bool reverse = false;
    bool underline = false;
};

struct Key {
    enum class Kind { None, Character, Special, Resize };
    Kind kind = Kind::None;
    int code = 0;  // Character: the Unicode code point; Special: the ncurses key code
};

// Whether standard input and output are a terminal.
bool terminalAttached();

class TerminalScreen {
  public:
    TerminalScreen();
    ~TerminalScreen();
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

    int rows() const;
    int columns() const;
    void erase();
    // Writes `text` from (row, column), clipped to `width` cells and the screen.
    void text(int row, int column, std::string_view cp1252, const CellStyle& style,
              int width = 1 << 20);
    // Blanks `width` cells from (row, column) in the style's colours.
    void fill(int row, int column, int width, const CellStyle& style);
    void frame(int top, int left, int height, int width);
    // Brings the terminal up to date; the cursor shows at (row, column)
    // when row >= 0.
    void show(int cursorRow = -1, int cursorColumn = -1);
    // The next key, waiting at most `timeoutMs` (0: not at all).
    Key readKey(int timeoutMs);

  private:
    int attributes(const CellStyle& style);
    int colourPair(int text, int background);

    int pairs_ = 0;
    int pairOf_[9][9] = {};
};

}  // namespace kelvinor
