#include "tests/support/scripted_desktop.h"

#include <algorithm>

namespace kelvinor::testing {

const ControlRecord& ScriptedDesktop::at(int id) const {
    if (const auto it = controls.find(id); it != controls.end()) return it->second;
    if (const auto it = closedControls.find(id); it != closedControls.end()) return it->second;
    throw std::out_of_range("no control " + std::to_string(id));
}

ControlRecord* ScriptedDesktop::find(int id) {
    const auto it = controls.find(id);
    return it == controls.end() ? nullptr : &it->second;
}

void ScriptedDesktop::openWindow(const WindowSpec& layout) {
    openWindows[layout.window] = layout;
    journal.push_back("open " + std::to_string(layout.window) + " " + layout.title);
}

void ScriptedDesktop::closeWindow(int window) {
    openWindows.erase(window);
    for (auto it = controls.begin(); it != controls.end();) {
        if (it->second.layout.window == window) {
            closedControls[it->first] = it->second;
            it = controls.erase(it);
        } else {
            ++it;
        }
    }
    journal.push_back("close " + std::to_string(window));
}

void ScriptedDesktop::createControl(const ControlSpec& layout) {
    if (openWindows.count(layout.window) == 0) return;
    ControlRecord record;
    record.layout = layout;
    record.text = layout.text;
    controls[layout.id] = record;
    createdOrder.push_back(layout.id);
    journal.push_back("create " + std::to_string(layout.id) + " " + layout.text);
}

void ScriptedDesktop::setText(int id, const std::string& text) {
    if (ControlRecord* c = find(id)) {
        c->text = text;
        journal.push_back("text " + std::to_string(id) + " " + text);
    }
}
void ScriptedDesktop::setTextColour(int id, Colour colour) {
    if (ControlRecord* c = find(id)) c->textColour = colour;
}
void ScriptedDesktop::setBackgroundColour(int id, Colour colour) {
    if (ControlRecord* c = find(id)) c->backgroundColour = colour;
}
void ScriptedDesktop::setTooltip(int id, const std::string& text) {
    if (ControlRecord* c = find(id)) c->tooltip = text;
}
void ScriptedDesktop::setEnabled(int id, bool enabled) {
    if (ControlRecord* c = find(id)) c->enabled = enabled;
}
void ScriptedDesktop::setChecked(int id, bool checked) {
    if (ControlRecord* c = find(id)) c->checked = checked;
}
void ScriptedDesktop::setProgress(int id, int value) {
    if (ControlRecord* c = find(id)) {
        c->progress = value;
        journal.push_back("progress " + std::to_string(value));
    }
}
void ScriptedDesktop::appendLogbookLine(int id, const std::string& line) {
    if (ControlRecord* c = find(id)) c->logbook.push_back(line);
}
void ScriptedDesktop::clearLogbook(int id) {
    if (ControlRecord* c = find(id)) c->logbook.clear();
}

std::string ScriptedDesktop::askText(const std::string& title, const std::string& message,
                                     const std::string& preset) {
    prompts.push_back({title, message, preset});
    journal.push_back("prompt " + title);
    if (promptAnswers_.empty()) throw ScriptExhausted("unexpected prompt: " + title);
    const std::optional<std::string> answer = promptAnswers_.front();
    promptAnswers_.pop_front();
    return answer.value_or(std::string());
}

int ScriptedDesktop::showMessage(const std::string& title, const std::string& text,
                                 MessageButtons buttons) {
    std::map<int, bool> enabled;
    for (const auto& [id, control] : controls) enabled[id] = control.enabled;
    messages.push_back({title, text, buttons, enabled});
    messageTimes.push_back(clock_.elapsedMs());
    journal.push_back("message " + title);
    if (buttons == MessageButtons::Ok) return kAnswerOk;  // nothing to choose
    if (messageAnswers_.empty()) throw ScriptExhausted("unexpected question: " + title);
    const int answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

std::optional<WindowEvent> ScriptedDesktop::takeClickWhen() {
    for (auto it = clicksWhen_.begin(); it != clicksWhen_.end(); ++it) {
        if (!it->first()) continue;
        const WindowEvent event = it->second;
        clicksWhen_.erase(it);
        return event;
    }
    return std::nullopt;
}

std::optional<WindowEvent> ScriptedDesktop::waitForEvent(std::int64_t timeoutMs) {
    auto takeDue = [this]() -> std::optional<WindowEvent> {
        if (auto click = takeClickWhen()) return click;
        while (!events_.empty() && events_.front().atMs <= clock_.elapsedMs()) {
            const WindowEvent event = events_.front().event;
            const std::function<void()> action = events_.front().action;
            events_.pop_front();
            if (action) {
                action();
                continue;
            }
            if (event.kind == WindowEvent::Kind::Control) {
                ControlRecord* c = find(event.control);
                if (c == nullptr || !c->enabled) continue;  // a disabled button takes no click
                if (c->layout.kind == ControlKind::ToggleButton) c->checked = !c->checked;
            }
            return event;
        }
        return std::nullopt;
    };
    if (auto event = takeDue()) return event;
    if (timeoutMs <= 0) return std::nullopt;
    std::int64_t wake = clock_.elapsedMs() + timeoutMs;
    if (!events_.empty()) wake = std::min(wake, events_.front().atMs);
    if (wake > timeLimitMs_) throw ScriptExhausted("the program waited past the script's end");
    clock_.advance(wake - clock_.elapsedMs());
    return takeDue();
}

bool ScriptedDesktop::hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) {
    for (const auto& [happened, event] : clicksWhen_)
        if (happened() && matches(event)) return true;
    for (const Timed& timed : events_) {
        if (timed.atMs > clock_.elapsedMs()) break;
        if (timed.action) continue;
        if (timed.event.kind == WindowEvent::Kind::Control) {
            const ControlRecord* c = find(timed.event.control);
            if (c == nullptr || !c->enabled) continue;
        }
        if (matches(timed.event)) return true;
    }
    return false;
}

void ScriptedDesktop::closeAll() {
    while (!openWindows.empty()) closeWindow(openWindows.begin()->first);
}

}  // namespace kelvinor::testing
