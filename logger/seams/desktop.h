#pragma once
// The Desktop seam: windows and controls addressed by their fixed numbers,
// the modal prompt and message box, and the window system's event wait.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "logger/constants/colour.h"

namespace kelvinor {

struct WindowSpec {
    int window = 0;
    std::string title;
    int clientWidth = 0;
    int clientHeight = 0;
    // Main window: caption with system menu and minimise box. Otherwise a
    // caption without any window buttons.
    bool withWindowButtons = false;
};

enum class ControlKind {
    StaticText,         // a label
    ReadOnlyTextField,  // a single-line, read-only edit field
    Logbook,            // the multi-line, read-only logbook
    PushButton,
    DefaultPushButton,
    ToggleButton,  // a push button that flips its pressed state on each click
    ProgressBar,
};

struct ControlSpec {
    int id = 0;
    int window = 0;
    ControlKind kind = ControlKind::StaticText;
    int x = 0, y = 0, width = 0, height = 0;
    std::string text;
    bool centred = false;  // centred text
    bool sunken = false;   // sunken client edge
    int rangeMaximum = 0;  // progress bars: 0 to this
};

enum class MessageButtons { Ok, YesNo };
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct WindowEvent {
    enum class Kind { Control, CloseRequest, Other };
    Kind kind = Kind::Other;
    int window = 0;
    int control = 0;  // for Kind::Control
};

class Desktop {
  public:
    virtual ~Desktop() = default;

    virtual void openWindow(const WindowSpec& layout) = 0;
    virtual void closeWindow(int window) = 0;
    virtual void createControl(const ControlSpec& layout) = 0;
    virtual bool hasControl(int id) const = 0;

    // Setting anything on a control that does not exist does nothing.
    virtual void setText(int id, const std::string& text) = 0;
    virtual void setTextColour(int id, Colour colour) = 0;
    virtual void setBackgroundColour(int id, Colour colour) = 0;
    virtual void setTooltip(int id, const std::string& text) = 0;
    virtual void setEnabled(int id, bool enabled) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual void setProgress(int id, int value) = 0;
    virtual void appendLogbookLine(int id, const std::string& line) = 0;
    virtual void clearLogbook(int id) = 0;

    // Modal one-line prompt: the field as typed on Enter or OK, empty on
    // Escape or any other close request.
    virtual std::string askText(const std::string& title, const std::string& message,
                                const std::string& preset) = 0;
    // Modal message box without icon; CR characters are line breaks.
    virtual int showMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons) = 0;

    // Waits at most `timeoutMs` for the next window event and dispatches it;
    // 0 fetches one pending event without waiting. No event: nullopt.
    // User input is taken only here and in the modal prompt and message box.
    virtual std::optional<WindowEvent> waitForEvent(std::int64_t timeoutMs) = 0;
    // Brings the display up to date without taking user input.
    virtual void updateDisplay() = 0;
    // Keeps the windows painted and the window system served for `milliseconds`
    // without taking user input: a click on an enabled button or a close
    // request made meanwhile is kept as an event for the next wait.
    virtual void serveWithoutInput(std::int64_t milliseconds) = 0;
    // Whether an event kept for the next wait matches.
    virtual bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) = 0;
    // Closes every window.
    virtual void closeAll() = 0;
    // Whether the desktop shows the clock's text itself, in a corner (a
    // terminal: there may be no display for the clock program); the clock
    // command then switches it on and off here instead of starting a program.
    virtual bool showsClock() const { return false; }
    virtual void showClock(bool) {}
};

}  // namespace kelvinor
