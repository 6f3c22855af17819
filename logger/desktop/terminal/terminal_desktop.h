#pragma once
// The terminal edition's desktop: the main window laid out in a terminal of
// any size from 80 x 24 on, the scan's windows, the prompt and the message
// boxes as centred dialogs, the buttons as keys (F1 to F8 or a letter), the
// close request as F10 or Q. A stop from outside (SIGTERM, SIGINT) is the
// main window's close request from then on, as in the unattended recorder,
// and answers any open dialog as Escape would ("Nein" for a question).
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "logger/desktop/terminal/logbook_pane.h"
#include "logger/desktop/terminal/terminal_screen.h"
#include "logger/seams/desktop.h"

namespace kelvinor {

class TerminalDesktop final : public Desktop {
  public:
    // `stopRequested` is asked at least four times a second while the desktop
    // waits; `clockText` gives the clock's text (weekday, date and time
    // separated by CR) for the corner clock.
    TerminalDesktop(std::function<bool()> stopRequested, std::function<std::string()> clockText);

    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    void createControl(const ControlSpec& layout) override;
    bool hasControl(int id) const override;
    void setText(int id, const std::string& text) override;
    void setTextColour(int id, Colour colour) override;
    void setBackgroundColour(int id, Colour colour) override;
    void setTooltip(int, const std::string&) override {}
    void setEnabled(int id, bool enabled) override;
    void setChecked(int id, bool checked) override;
    void setProgress(int id, int value) override;
    void appendLogbookLine(int id, const std::string& line) override;
    void clearLogbook(int id) override;
    std::string askText(const std::string& title, const std::string& message,
                        const std::string& preset) override;
    int showMessage(const std::string& title, const std::string& text,
                    MessageButtons buttons) override;
    std::optional<WindowEvent> waitForEvent(std::int64_t timeoutMs) override;
    void updateDisplay() override;
    void serveWithoutInput(std::int64_t milliseconds) override;
    bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) override;
    void closeAll() override;
    bool showsClock() const override { return true; }
    void showClock(bool on) override;

  private:
    struct Control {
        ControlSpec layout;
        std::string text;
        CellStyle style;
        bool enabled = true;
        bool checked = false;
        int progress = 0;
    };
    struct Dialog {
        std::string title;
        std::string message;
        std::optional<std::string> field;  // the prompt's answer as typed
        std::size_t cursor = 0;
        std::vector<std::string> buttons;
        std::size_t focus = 0;
    };

    Control* control(int id);
    bool stopCame();
    // Reads keys for up to `waitMs` (or until an event, with `untilEvent`),
    // at least those already typed; button keys and the close keys become
    // events, the others act at once. A stop from outside ends the wait.
    void takeKeys(std::int64_t waitMs, bool untilEvent);
    void handleKey(const Key& key);
    // A modal dialog's next key, or nullopt once a stop from outside came.
    std::optional<Key> dialogKey();

    void render();
    void drawMainWindow();
    void drawButtons(int top);
    void drawWindow(int window);
    void drawDialog();
    int logbookTop() const;
    int logbookHeight() const;
    std::vector<std::string> intervalLines() const;
    bool recordLinesShareRow() const;

    std::function<bool()> stopRequested_;
    std::function<std::string()> clockText_;
    TerminalScreen screen_;
    std::map<int, WindowSpec> windows_;
    std::map<int, Control> controls_;
    std::vector<int> creationOrder_;
    LogbookPane logbook_;
    std::deque<WindowEvent> events_;
    std::optional<Dialog> dialog_;
    bool stopped_ = false;
    bool clockShown_ = false;
};

}  // namespace kelvinor
