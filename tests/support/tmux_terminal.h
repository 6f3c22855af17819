#pragma once
// A real terminal for the terminal edition: a tmux server of the test's
// own, the program in its second window (so that tmux counts its bells),
// keys sent as a user types them and the screen read as it shows.
#include <string>

namespace kelvinor::testing {

class TmuxTerminal {
  public:
    // Starts `command` in the current folder, in a terminal of the given size
    // with UTF-8; its exit code lands in the file "code".
    TmuxTerminal(const std::string& command, int columns, int rows);
    ~TmuxTerminal();
    TmuxTerminal(const TmuxTerminal&) = delete;
    TmuxTerminal& operator=(const TmuxTerminal&) = delete;

    // Keys by tmux's names ("Enter", "F4", "C-u", "PPage").
    void keys(const std::string& names);
    // Text typed character by character.
    void type(const std::string& utf8);
    void resize(int columns, int rows);
    // Closes the program's window: its terminal hangs up (SIGHUP).
    void hangUp();
    std::string screen();
    // Whether the screen shows every one of the texts within `seconds`.
    bool shows(std::initializer_list<std::string> texts, int seconds = 10) {
        return showsAll(texts, true, seconds);
    }
    // Whether, within `seconds`, the screen lacks at least one of the texts.
    bool stopsShowing(std::initializer_list<std::string> texts, int seconds = 10) {
        return showsAll(texts, false, seconds);
    }
    // The bells the program rang so far.
    int bells();

  private:
    bool showsAll(std::initializer_list<std::string> texts, bool wanted, int seconds);
    std::string tmux(const std::string& arguments) const;
    std::string socket_;
};

}  // namespace kelvinor::testing
