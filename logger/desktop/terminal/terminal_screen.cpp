#include "logger/desktop/terminal/terminal_screen.h"

#include <curses.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <string>

#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

// The nearest of the terminal's eight colours: each channel on or off.
int nearestColour(Colour colour) {
    const int red = redOf(colour) >= 128, green = greenOf(colour) >= 128,
              blue = blueOf(colour) >= 128;
    return red * COLOR_RED + green * COLOR_GREEN + blue * COLOR_BLUE;
}

}  // namespace

bool terminalAttached() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

TerminalScreen::TerminalScreen() {
    // The character set only: numbers keep their C-locale format.
    std::setlocale(LC_CTYPE, "");
    initscr();
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    curs_set(0);
    if (has_colors()) {
        start_color();
        use_default_colors();
    }
}

TerminalScreen::~TerminalScreen() {
    endwin();
}

int TerminalScreen::rows() const {
    return getmaxy(stdscr);
}

int TerminalScreen::columns() const {
    return getmaxx(stdscr);
}

void TerminalScreen::erase() {
    ::erase();
}

int TerminalScreen::colourPair(int text, int background) {
    int& pair = pairOf_[text + 1][background + 1];
    if (pair == 0 && pairs_ + 1 < COLOR_PAIRS) {
        pair = ++pairs_;
        init_pair(static_cast<short>(pair), static_cast<short>(text),
                  static_cast<short>(background));
    }
    return pair;
}

int TerminalScreen::attributes(const CellStyle& style) {
    int attributes = A_NORMAL;
    if (style.bold) attributes |= A_BOLD;
    if (style.dim) attributes |= A_DIM;
    if (style.reverse) attributes |= A_REVERSE;
    if (style.underline) attributes |= A_UNDERLINE;
    if (style.coloured && has_colors()) {
        // Black text stays in the terminal's own colour: on a dark terminal
        // it would vanish.
        const int text = style.text == kBlack ? -1 : nearestColour(style.text);
        const int background = style.background ? nearestColour(*style.background) : -1;
        attributes |= COLOR_PAIR(colourPair(text, background));
    }
    return attributes;
}

void TerminalScreen::text(int row, int column, std::string_view cp1252, const CellStyle& style,
                          int width) {
    if (row < 0 || row >= rows() || column >= columns() || width <= 0) return;
    if (column < 0) {
        if (static_cast<int>(cp1252.size()) <= -column) return;
        cp1252.remove_prefix(static_cast<std::size_t>(-column));
        width += column;
        column = 0;
    }
    const int cells = std::min({width, columns() - column, static_cast<int>(cp1252.size())});
    std::wstring wide = cp1252ToWide(cp1252.substr(0, static_cast<std::size_t>(cells)));
    // Control characters would move the cursor: they show as blanks.
    for (wchar_t& c : wide)
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = L' ';
    attrset(attributes(style));
    mvaddnwstr(row, column, wide.c_str(), static_cast<int>(wide.size()));
    attrset(A_NORMAL);
}

void TerminalScreen::fill(int row, int column, int width, const CellStyle& style) {
    if (width > 0)
        text(row, column, std::string(static_cast<std::size_t>(width), ' '), style, width);
}

void TerminalScreen::frame(int top, int left, int height, int width) {
    if (height < 2 || width < 2) return;
    mvaddch(top, left, ACS_ULCORNER);
    mvhline(top, left + 1, ACS_HLINE, width - 2);
    mvaddch(top, left + width - 1, ACS_URCORNER);
    mvvline(top + 1, left, ACS_VLINE, height - 2);
    mvvline(top + 1, left + width - 1, ACS_VLINE, height - 2);
    mvaddch(top + height - 1, left, ACS_LLCORNER);
    mvhline(top + height - 1, left + 1, ACS_HLINE, width - 2);
    mvaddch(top + height - 1, left + width - 1, ACS_LRCORNER);
}

void TerminalScreen::show(int cursorRow, int cursorColumn) {
    if (cursorRow >= 0) {
        curs_set(1);
        move(cursorRow, cursorColumn);
    } else {
        curs_set(0);
    }
    refresh();
}

Key TerminalScreen::readKey(int timeoutMs) {
    timeout(timeoutMs);
    wint_t code = 0;
    const int kind = get_wch(&code);
    if (kind == ERR) return {};
    if (kind == KEY_CODE_YES)
        return {code == KEY_RESIZE ? Key::Kind::Resize : Key::Kind::Special,
                static_cast<int>(code)};
    return {Key::Kind::Character, static_cast<int>(code)};
}

}  // namespace kelvinor
