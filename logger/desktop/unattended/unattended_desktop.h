#pragma once
// The desktop of the unattended recorder: no screen and no keyboard. Its
// prompts are answered by a given function (from the settings file), its
// logbook lines and message boxes go to an output stream, one line each, and
// a stop from outside (SIGTERM, SIGINT) comes in as the main window's close
// request, which every phase of the program takes as its stop.
#include <deque>
#include <functional>
#include <ostream>
#include <set>

#include "logger/seams/desktop.h"

namespace kelvinor {

// The answer to a prompt, from its title, message and preset text.
using PromptAnswer = std::function<std::string(const std::string& title, const std::string& message,
                                               const std::string& preset)>;
// Waits at most `ms` (0: not at all) for a stop from outside: true once one came.
using StopWait = std::function<bool(std::int64_t ms)>;

class UnattendedDesktop final : public Desktop {
  public:
    // `clicks`: main window buttons clicked, in order, as soon as the main
    // window waits for input. The end question of a recording ("Ja"/"Nein")
    // is answered "Nein"; other message boxes "OK".
    UnattendedDesktop(PromptAnswer answer, std::deque<int> clicks, StopWait waitForStop,
                      std::ostream& out);

    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    void createControl(const ControlSpec& layout) override;
    bool hasControl(int id) const override;
    void setText(int, const std::string&) override {}
    void setTextColour(int, Colour) override {}
    void setBackgroundColour(int, Colour) override {}
    void setTooltip(int, const std::string&) override {}
    void setEnabled(int, bool) override {}
    void setChecked(int, bool) override {}
    void setProgress(int, int) override {}
    void appendLogbookLine(int id, const std::string& line) override;
    void clearLogbook(int) override {}
    std::string askText(const std::string& title, const std::string& message,
                        const std::string& preset) override;
    int showMessage(const std::string& title, const std::string& text,
                    MessageButtons buttons) override;
    std::optional<WindowEvent> waitForEvent(std::int64_t timeoutMs) override;
    void updateDisplay() override {}
    void serveWithoutInput(std::int64_t milliseconds) override;
    bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) override;
    void closeAll() override;

  private:
    std::optional<WindowEvent> nextEvent();

    PromptAnswer answer_;
    std::deque<int> clicks_;
    StopWait waitForStop_;
    std::ostream& out_;
    std::set<int> windows_;
    std::set<int> controls_;
    bool stopped_ = false;
};

}  // namespace kelvinor
