#pragma once
// A desktop for scenario tests: it answers prompts and message boxes from a
// script, delivers queued window events at given times of the fake clock,
// and records every window, control, text, colour and state it was given.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "logger/seams/desktop.h"
#include "tests/support/fake_clock.h"

namespace kelvinor::testing {

// Thrown when the program asks for more than the script holds.
struct ScriptExhausted : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Prompt {
    std::string title, message, preset;
};
struct Message {
    std::string title, text;
    MessageButtons buttons;
    std::map<int, bool> enabledWhileShown;  // every control's state while the box was open
};

struct ControlRecord {
    ControlSpec layout;
    std::string text;
    std::optional<Colour> textColour, backgroundColour;
    std::string tooltip;
    bool enabled = true;
    bool checked = false;
    int progress = 0;
    std::vector<std::string> logbook;
};

class ScriptedDesktop final : public Desktop {
    struct Timed {
        std::int64_t atMs;
        WindowEvent event;
        std::function<void()> action;  // run instead of delivering an event
    };

  public:
    explicit ScriptedDesktop(FakeClock& clock) : clock_(clock) {}

    // Script: answers in the order the program asks. nullopt leaves the prompt with Escape.
    void answerPrompt(std::optional<std::string> answer) { promptAnswers_.push_back(answer); }
    // Answers for the questions (Yes/No boxes) in order; OK boxes are confirmed.
    void answerMessage(int answer) { messageAnswers_.push_back(answer); }
    // A click on a control, delivered by the first wait at or after `atMs` of elapsed fake time.
    void clickAt(std::int64_t atMs, int control, int window = 1) {
        queue({atMs, {WindowEvent::Kind::Control, window, control}, {}});
    }
    void closeAt(std::int64_t atMs, int window = 1) {
        queue({atMs, {WindowEvent::Kind::CloseRequest, window, 0}, {}});
    }
    // A click that comes once `happened` says yes, whatever the fake time: for
    // a click during real waits (a mail server's silence), which the fake
    // clock does not see. `happened` may read what other threads set.
    void clickWhen(std::function<bool()> happened, int control, int window = 1) {
        clicksWhen_.push_back({std::move(happened), {WindowEvent::Kind::Control, window, control}});
    }
    // Runs `action` (a change behind the program's back) in the first wait at or after `atMs`.
    void doAt(std::int64_t atMs, std::function<void()> action) {
        queue({atMs, {WindowEvent::Kind::Other, 0, 0}, std::move(action)});
    }
    // Each wait may not take the fake clock beyond this point.
    void setTimeLimitMs(std::int64_t limit) { timeLimitMs_ = limit; }

    // What the program did.
    std::vector<Prompt> prompts;
    std::vector<Message> messages;
    std::vector<std::string> journal;  // windows, display updates and waits, in order
    std::map<int, ControlRecord> controls;
    std::map<int, WindowSpec> openWindows;
    std::vector<int> createdOrder;
    // Fake-clock times (elapsed ms) at which each message box was shown.
    std::vector<std::int64_t> messageTimes;

    // A control as it stands, or as it stood when its window was closed.
    const ControlRecord& at(int id) const;
    std::map<int, ControlRecord> closedControls;

    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    void createControl(const ControlSpec& layout) override;
    bool hasControl(int id) const override { return controls.count(id) != 0; }
    void setText(int id, const std::string& text) override;
    void setTextColour(int id, Colour colour) override;
    void setBackgroundColour(int id, Colour colour) override;
    void setTooltip(int id, const std::string& text) override;
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
    void updateDisplay() override { journal.push_back("update"); }
    // The program's own waits are the fake clock's; nothing to serve here.
    void serveWithoutInput(std::int64_t) override {}
    bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) override;
    void closeAll() override;

  private:
    ControlRecord* find(int id);
    void queue(const Timed& timed) {
        auto it = events_.begin();
        while (it != events_.end() && it->atMs <= timed.atMs) ++it;
        events_.insert(it, timed);
    }

    FakeClock& clock_;
    std::deque<std::optional<std::string>> promptAnswers_;
    std::deque<int> messageAnswers_;
    std::deque<Timed> events_;
    std::vector<std::pair<std::function<bool()>, WindowEvent>> clicksWhen_;
    // The first click of clicksWhen_ whose moment has come, taken out.
    std::optional<WindowEvent> takeClickWhen();
    std::int64_t timeLimitMs_ = 7LL * 24 * 3600 * 1000;
};

}  // namespace kelvinor::testing
