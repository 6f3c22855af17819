#include "logger/desktop/unattended/unattended_desktop.h"

#include "logger/constants/control_ids.h"
#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

// A message box's text on one line: its line breaks become blanks.
std::string oneLine(std::string text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

UnattendedDesktop::UnattendedDesktop(PromptAnswer answer, std::deque<int> clicks,
                                     StopWait waitForStop, std::ostream& out)
    : answer_(std::move(answer)),
      clicks_(std::move(clicks)),
      waitForStop_(std::move(waitForStop)),
      out_(out) {}

void UnattendedDesktop::openWindow(const WindowSpec& layout) {
    windows_.insert(layout.window);
}

void UnattendedDesktop::closeWindow(int window) {
    windows_.erase(window);
}

void UnattendedDesktop::createControl(const ControlSpec& layout) {
    controls_.insert(layout.id);
}

bool UnattendedDesktop::hasControl(int id) const {
    return controls_.contains(id);
}

void UnattendedDesktop::appendLogbookLine(int, const std::string& line) {
    out_ << cp1252ToUtf8(line) << '\n' << std::flush;
}

std::string UnattendedDesktop::askText(const std::string& title, const std::string& message,
                                       const std::string& preset) {
    return answer_(title, message, preset);
}

int UnattendedDesktop::showMessage(const std::string& title, const std::string& text,
                                   MessageButtons buttons) {
    out_ << cp1252ToUtf8(oneLine(title)) << ": " << cp1252ToUtf8(oneLine(text)) << '\n'
         << std::flush;
    return buttons == MessageButtons::YesNo ? kAnswerNo : kAnswerOk;
}

// The stop, once it came, is the answer to every wait: after the recording's
// end the main window is closed by it too.
std::optional<WindowEvent> UnattendedDesktop::nextEvent() {
    if (stopped_ || (stopped_ = waitForStop_(0)))
        return WindowEvent{WindowEvent::Kind::CloseRequest, mainWindow, 0};
    if (!clicks_.empty() && windows_.contains(mainWindow) && controls_.contains(clicks_.front()))
        return WindowEvent{WindowEvent::Kind::Control, mainWindow, clicks_.front()};
    return std::nullopt;
}

std::optional<WindowEvent> UnattendedDesktop::waitForEvent(std::int64_t timeoutMs) {
    std::optional<WindowEvent> event = nextEvent();
    if (!event && timeoutMs > 0 && waitForStop_(timeoutMs)) {
        stopped_ = true;
        event = nextEvent();
    }
    if (event && event->kind == WindowEvent::Kind::Control) clicks_.pop_front();
    return event;
}

void UnattendedDesktop::serveWithoutInput(std::int64_t milliseconds) {
    if (milliseconds > 0 && waitForStop_(milliseconds)) stopped_ = true;
}

bool UnattendedDesktop::hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) {
    const std::optional<WindowEvent> event = nextEvent();
    return event && matches(*event);
}

void UnattendedDesktop::closeAll() {
    windows_.clear();
    controls_.clear();
}

}  // namespace kelvinor
