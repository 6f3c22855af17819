#include "logger/desktop/terminal/terminal_desktop.h"

#include <curses.h>

#include <algorithm>
#include <chrono>

#include "logger/constants/control_ids.h"
#include "logger/desktop/terminal/text_layout.h"
#include "logger/text/cp1252.h"

namespace kelvinor {
namespace {

// The main window's buttons as keys: a function key and a letter of the label.
struct ButtonKey {
    int control;
    int functionKey;
    char letter;
};
constexpr ButtonKey kButtonKeys[] = {
    {instantQueryButton, 1, 'A'}, {renameButton, 2, 'N'}, {thresholdsButton, 3, 'W'},
    {startButton, 4, 'S'},        {stopButton, 5, 'B'},   {clockToggle, 6, 'U'},
    {homepageButton, 7, 'H'},     {infoButton, 8, 'I'},
};
constexpr int kCloseFunctionKey = 10;
constexpr char kCloseLetter = 'Q';
constexpr int kEscape = 27;
constexpr std::int64_t kPollMs = 250;  // the longest wait without asking for a stop
constexpr std::size_t kFieldLimit = 32767;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isEnter(const Key& key) {
    return (key.kind == Key::Kind::Character && (key.code == '\r' || key.code == '\n')) ||
           (key.kind == Key::Kind::Special && key.code == KEY_ENTER);
}

bool isCharacter(const Key& key, char upper) {
    return key.kind == Key::Kind::Character && (key.code == upper || key.code == upper - 'A' + 'a');
}

bool isFunctionKey(const Key& key, int n) {
    return key.kind == Key::Kind::Special && key.code == KEY_F(n);
}

// "&&" in a button's text is one ampersand, as on the desktops.
std::string buttonLabel(const std::string& text) {
    std::string label;
    for (std::size_t i = 0; i < text.size(); ++i) {
        label += text[i];
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') ++i;
    }
    return label;
}

// The letter to underline: its first capital in the label, else its first small one.
std::size_t letterPosition(const std::string& label, char upper) {
    const std::size_t capital = label.find(upper);
    return capital != std::string::npos ? capital
                                        : label.find(static_cast<char>(upper - 'A' + 'a'));
}

// The CP1252 byte of a typed character, or nothing where CP1252 has none.
std::string cp1252Character(int codePoint) {
    std::string utf8;
    const auto point = static_cast<unsigned>(codePoint);
    if (point < 0x80) {
        utf8 += static_cast<char>(point);
    } else if (point < 0x800) {
        utf8 += static_cast<char>(0xC0 | (point >> 6));
        utf8 += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (point >> 12));
        utf8 += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        return "";
    }
    const std::string character = utf8ToCp1252(utf8);
    return character == "?" && codePoint != '?' ? "" : character;
}

int centred(int width, std::size_t length) {
    return std::max(0, (width - static_cast<int>(length)) / 2);
}

const CellStyle kPlain{};
const CellStyle kReverse{.reverse = true};
const CellStyle kDim{.dim = true};

}  // namespace

TerminalDesktop::TerminalDesktop(std::function<bool()> stopRequested,
                                 std::function<std::string()> clockText)
    : stopRequested_(std::move(stopRequested)), clockText_(std::move(clockText)) {}

TerminalDesktop::Control* TerminalDesktop::control(int id) {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

void TerminalDesktop::openWindow(const WindowSpec& layout) {
    windows_[layout.window] = layout;
    render();
}

void TerminalDesktop::closeWindow(int window) {
    windows_.erase(window);
    std::erase_if(controls_,
                  [&](const auto& entry) { return entry.second.layout.window == window; });
    std::erase_if(creationOrder_, [&](int id) { return !controls_.contains(id); });
    if (window == mainWindow) logbook_.clear();
    render();
}

void TerminalDesktop::createControl(const ControlSpec& layout) {
    if (!windows_.contains(layout.window)) return;
    controls_[layout.id] = Control{layout, layout.text, CellStyle{}};
    creationOrder_.push_back(layout.id);
    render();
}

bool TerminalDesktop::hasControl(int id) const {
    return controls_.contains(id);
}

void TerminalDesktop::setText(int id, const std::string& text) {
    if (Control* c = control(id)) c->text = text;
    render();
}

void TerminalDesktop::setTextColour(int id, Colour colour) {
    if (Control* c = control(id)) {
        c->style.coloured = true;
        c->style.text = colour;
    }
    render();
}

void TerminalDesktop::setBackgroundColour(int id, Colour colour) {
    if (Control* c = control(id)) {
        c->style.coloured = true;
        c->style.background = colour;
    }
    render();
}

void TerminalDesktop::setEnabled(int id, bool enabled) {
    if (Control* c = control(id)) c->enabled = enabled;
    render();
}

void TerminalDesktop::setChecked(int id, bool checked) {
    if (Control* c = control(id)) c->checked = checked;
    render();
}

void TerminalDesktop::setProgress(int id, int value) {
    if (Control* c = control(id)) c->progress = value;
    render();
}

void TerminalDesktop::appendLogbookLine(int id, const std::string& line) {
    if (!controls_.contains(id)) return;
    logbook_.append(line);
    render();
}

void TerminalDesktop::clearLogbook(int id) {
    if (!controls_.contains(id)) return;
    logbook_.clear();
    render();
}

void TerminalDesktop::showClock(bool on) {
    clockShown_ = on;
    render();
}

bool TerminalDesktop::stopCame() {
    if (!stopped_ && stopRequested_()) stopped_ = true;
    return stopped_;
}

// ---- keys and events ----

void TerminalDesktop::handleKey(const Key& key) {
    if (key.kind == Key::Kind::Resize) return render();
    if (!windows_.contains(mainWindow)) return;
    if (isFunctionKey(key, kCloseFunctionKey) || isCharacter(key, kCloseLetter)) {
        events_.push_back({WindowEvent::Kind::CloseRequest, mainWindow, 0});
        return;
    }
    for (const ButtonKey& button : kButtonKeys) {
        if (!isFunctionKey(key, button.functionKey) && !isCharacter(key, button.letter)) continue;
        Control* c = control(button.control);
        if (c == nullptr || !c->enabled) return;
        // A toggle button flips on its click, before the command sees it.
        if (c->layout.kind == ControlKind::ToggleButton) c->checked = !c->checked;
        events_.push_back({WindowEvent::Kind::Control, mainWindow, button.control});
        return render();
    }
    if (key.kind != Key::Kind::Special) return;
    const int height = logbookHeight(), width = screen_.columns();
    switch (key.code) {
        case KEY_PPAGE:
            logbook_.pageUp(height, width);
            break;
        case KEY_NPAGE:
            logbook_.pageDown(height, width);
            break;
        case KEY_HOME:
            logbook_.toStart();
            break;
        case KEY_END:
            logbook_.toEnd();
            break;
        default:
            return;
    }
    render();
}

void TerminalDesktop::takeKeys(std::int64_t waitMs, bool untilEvent) {
    const std::int64_t end = nowMs() + std::max<std::int64_t>(waitMs, 0);
    for (;;) {
        if (stopCame()) return;
        // Whatever was typed already, then a wait of a quarter second at most.
        for (Key key = screen_.readKey(0); key.kind != Key::Kind::None; key = screen_.readKey(0))
            handleKey(key);
        const std::int64_t left = end - nowMs();
        if (left <= 0 || (untilEvent && !events_.empty())) return;
        if (clockShown_) render();
        const Key key = screen_.readKey(static_cast<int>(std::min(left, kPollMs)));
        if (key.kind != Key::Kind::None) handleKey(key);
    }
}

std::optional<WindowEvent> TerminalDesktop::waitForEvent(std::int64_t timeoutMs) {
    render();
    takeKeys(timeoutMs, true);
    // The stop from outside closes the main window, and again after each wait.
    if (stopped_) return WindowEvent{WindowEvent::Kind::CloseRequest, mainWindow, 0};
    if (events_.empty()) return std::nullopt;
    const WindowEvent event = events_.front();
    events_.pop_front();
    return event;
}

void TerminalDesktop::updateDisplay() {
    render();
}

void TerminalDesktop::serveWithoutInput(std::int64_t milliseconds) {
    render();
    // Keys pressed meanwhile are kept as events; a stop from outside ends the pause.
    takeKeys(milliseconds, false);
}

bool TerminalDesktop::hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) {
    takeKeys(0, false);
    if (stopped_ && matches(WindowEvent{WindowEvent::Kind::CloseRequest, mainWindow, 0}))
        return true;
    return std::any_of(events_.begin(), events_.end(), matches);
}

void TerminalDesktop::closeAll() {
    windows_.clear();
    controls_.clear();
    creationOrder_.clear();
    logbook_.clear();
    clockShown_ = false;
    render();
}

// ---- the modal dialogs ----

std::optional<Key> TerminalDesktop::dialogKey() {
    for (;;) {
        if (stopCame()) return std::nullopt;
        render();
        const Key key = screen_.readKey(static_cast<int>(kPollMs));
        if (key.kind != Key::Kind::None && key.kind != Key::Kind::Resize) return key;
    }
}

std::string TerminalDesktop::askText(const std::string& title, const std::string& message,
                                     const std::string& preset) {
    dialog_ = Dialog{title, message, preset, preset.size(), {"OK"}};
    std::string answer;
    for (;;) {
        const std::optional<Key> key = dialogKey();
        if (!key || (key->kind == Key::Kind::Character && key->code == kEscape)) break;
        std::string& field = *dialog_->field;
        std::size_t& cursor = dialog_->cursor;
        if (isEnter(*key)) {
            answer = field;
            break;
        }
        // Ctrl+U empties the field, as in a shell.
        if (key->kind == Key::Kind::Character && key->code == 0x15) {
            field.clear();
            cursor = 0;
            continue;
        }
        if (key->kind == Key::Kind::Character && key->code >= 0x20 && key->code != 0x7F) {
            // Only what CP1252 can hold is typed into the field.
            const std::string character = cp1252Character(key->code);
            if (!character.empty() && field.size() < kFieldLimit) field.insert(cursor++, character);
            continue;
        }
        const bool backspace =
            (key->kind == Key::Kind::Special && key->code == KEY_BACKSPACE) ||
            (key->kind == Key::Kind::Character && (key->code == 0x7F || key->code == '\b'));
        if (backspace) {
            if (cursor > 0) field.erase(--cursor, 1);
            continue;
        }
        if (key->kind != Key::Kind::Special) continue;
        if (key->code == KEY_DC && cursor < field.size()) field.erase(cursor, 1);
        if (key->code == KEY_LEFT && cursor > 0) --cursor;
        if (key->code == KEY_RIGHT && cursor < field.size()) ++cursor;
        if (key->code == KEY_HOME) cursor = 0;
        if (key->code == KEY_END) cursor = field.size();
    }
    dialog_.reset();
    render();
    return answer;
}

int TerminalDesktop::showMessage(const std::string& title, const std::string& text,
                                 MessageButtons buttons) {
    const bool yesNo = buttons == MessageButtons::YesNo;
    dialog_ =
        Dialog{title, text, std::nullopt, 0,
               yesNo ? std::vector<std::string>{"Ja", "Nein"} : std::vector<std::string>{"OK"}};
    int answer = kAnswerOk;
    for (;;) {
        const std::optional<Key> key = dialogKey();
        if (!key) {
            answer = yesNo ? kAnswerNo : kAnswerOk;
            break;
        }
        if (yesNo && (isCharacter(*key, 'J') || isCharacter(*key, 'N'))) {
            answer = isCharacter(*key, 'J') ? kAnswerYes : kAnswerNo;
            break;
        }
        if (isEnter(*key) || (key->kind == Key::Kind::Character && key->code == ' ')) {
            answer = !yesNo ? kAnswerOk : dialog_->focus == 0 ? kAnswerYes : kAnswerNo;
            break;
        }
        // A question has no way out but its two buttons; a notice closes on Escape.
        if (key->kind == Key::Kind::Character && key->code == kEscape && !yesNo) break;
        const bool move =
            (key->kind == Key::Kind::Character && key->code == '\t') ||
            (key->kind == Key::Kind::Special &&
             (key->code == KEY_LEFT || key->code == KEY_RIGHT || key->code == KEY_BTAB));
        if (move) dialog_->focus = (dialog_->focus + 1) % dialog_->buttons.size();
    }
    dialog_.reset();
    render();
    return answer;
}

// ---- drawing ----

int TerminalDesktop::logbookTop() const {
    const auto heading = controls_.find(logbookHeading);
    const int lines =
        heading == controls_.end()
            ? 0
            : static_cast<int>(wrapText(heading->second.text, screen_.columns()).size());
    return 1 + std::min(lines, 3);
}

std::vector<std::string> TerminalDesktop::intervalLines() const {
    const auto line = controls_.find(intervalLine);
    if (line == controls_.end()) return {};
    std::vector<std::string> lines = wrapText(line->second.text, screen_.columns());
    lines.resize(std::min<std::size_t>(lines.size(), 2));
    return lines;
}

// The last and the next recording share a row where both fit in half of it.
bool TerminalDesktop::recordLinesShareRow() const {
    const std::size_t half = static_cast<std::size_t>(screen_.columns() / 2);
    for (int id : {lastRecordLine, nextRecordLine}) {
        const auto line = controls_.find(id);
        if (line != controls_.end() && line->second.text.size() > half) return false;
    }
    return true;
}

int TerminalDesktop::logbookHeight() const {
    // Below the logbook: the interval, last and next recording, four rows of
    // buttons, the status line and the key help.
    const int below =
        static_cast<int>(intervalLines().size()) + (recordLinesShareRow() ? 1 : 2) + 6;
    return std::max(1, screen_.rows() - below - logbookTop());
}

void TerminalDesktop::render() {
    screen_.erase();
    if (windows_.contains(mainWindow)) drawMainWindow();
    for (const auto& [number, window] : windows_)
        if (number != mainWindow) drawWindow(number);
    if (clockShown_) {
        std::string clock = clockText_();
        std::replace(clock.begin(), clock.end(), '\r', ' ');
        clock = ' ' + clock + ' ';
        screen_.text(0, screen_.columns() - static_cast<int>(clock.size()), clock, kReverse);
    }
    if (dialog_) return drawDialog();
    screen_.show();
}

void TerminalDesktop::drawMainWindow() {
    const int width = screen_.columns(), rows = screen_.rows();
    screen_.fill(0, 0, width, kReverse);
    screen_.text(0, 1, windows_[mainWindow].title, kReverse);

    if (const Control* heading = control(logbookHeading)) {
        const std::vector<std::string> lines = wrapText(heading->text, width);
        for (std::size_t i = 0; i < lines.size() && i < 3; ++i)
            screen_.text(1 + static_cast<int>(i), centred(width, lines[i].size()), lines[i],
                         kPlain);
    }
    const int top = logbookTop(), height = logbookHeight();
    if (controls_.contains(logbook)) {
        const std::vector<std::string> lines = logbook_.visibleLines(height, width);
        for (std::size_t i = 0; i < lines.size(); ++i)
            screen_.text(top + static_cast<int>(i), 0, lines[i], kPlain);
    }
    int below = top + height;
    if (const Control* c = control(intervalLine))
        for (const std::string& line : intervalLines())
            screen_.text(below++, centred(width, line.size()), line, c->style, width);
    const bool shared = recordLinesShareRow();
    const int half = shared ? width / 2 : width;
    if (const Control* c = control(lastRecordLine))
        screen_.text(below, centred(half, c->text.size()), c->text, c->style, half);
    if (!shared) ++below;
    if (const Control* c = control(nextRecordLine)) {
        const int left = shared ? half : 0;
        screen_.text(below, left + centred(width - left, c->text.size()), c->text, c->style,
                     width - left);
    }
    drawButtons(below + 1);
    if (const Control* c = control(statusLine)) {
        screen_.fill(rows - 2, 0, width, c->style);
        screen_.text(rows - 2, centred(width, c->text.size()), c->text, c->style, width);
    }
    std::string help = "F10/Q: Kelvinor schließen · Logbuch: Bild auf/ab, Pos1, Ende"_cp;
    if (!logbook_.followsNewest())
        help += " (Zeile " + std::to_string(logbook_.firstRowShown(height, width)) + " von " +
                std::to_string(logbook_.rowCount()) + ")";
    screen_.text(rows - 1, 0, help, kDim, width);
}

void TerminalDesktop::drawButtons(int top) {
    const int cell = screen_.columns() / 2;
    int shown = 0;
    for (const ButtonKey& button : kButtonKeys) {
        const Control* c = control(button.control);
        if (c == nullptr) continue;
        const int row = top + shown / 2, column = (shown % 2) * cell;
        ++shown;
        const std::string key = "F" + std::to_string(button.functionKey) + " ";
        const std::string label = buttonLabel(c->text);
        CellStyle style{.bold = c->layout.kind == ControlKind::DefaultPushButton,
                        .dim = !c->enabled,
                        .reverse = c->checked};
        screen_.text(row, column, key, style, cell);
        screen_.text(row, column + static_cast<int>(key.size()), label, style,
                     cell - static_cast<int>(key.size()) - 1);
        const std::size_t letter = letterPosition(label, button.letter);
        if (letter != std::string::npos) {
            CellStyle underlined = style;
            underlined.underline = true;
            screen_.text(row, column + static_cast<int>(key.size() + letter),
                         label.substr(letter, 1), underlined, 1);
        }
    }
}

void TerminalDesktop::drawWindow(int window) {
    const int columns = screen_.columns(), rows = screen_.rows();
    const int inner = std::max(20, std::min(columns - 6, 70));
    std::vector<std::pair<std::string, const Control*>> lines;
    for (int id : creationOrder_) {
        const Control& c = controls_.at(id);
        if (c.layout.window != window) continue;
        if (c.layout.kind == ControlKind::ProgressBar) {
            lines.emplace_back("", &c);
            continue;
        }
        for (std::string& line : wrapText(c.text, inner))
            lines.emplace_back(std::move(line), nullptr);
    }
    const int height = static_cast<int>(lines.size()) + 2, width = inner + 4;
    const int top = std::max(0, (rows - height) / 2), left = std::max(0, (columns - width) / 2);
    for (int row = 0; row < height; ++row) screen_.fill(top + row, left, width, kPlain);
    screen_.frame(top, left, height, width);
    const std::string& title = windows_[window].title;
    screen_.text(top, left + 2, " " + title + " ", kPlain, width - 4);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = top + 1 + static_cast<int>(i);
        const Control* bar = lines[i].second;
        if (bar == nullptr) {
            screen_.text(row, left + 2 + centred(inner, lines[i].first.size()), lines[i].first,
                         kPlain, inner);
            continue;
        }
        const int maximum = std::max(1, bar->layout.rangeMaximum);
        const int filled = inner * std::clamp(bar->progress, 0, maximum) / maximum;
        screen_.fill(row, left + 2, filled, kReverse);
        screen_.text(row, left + 2 + filled,
                     std::string(static_cast<std::size_t>(inner - filled), '.'), kDim,
                     inner - filled);
    }
}

void TerminalDesktop::drawDialog() {
    const Dialog& d = *dialog_;
    const int columns = screen_.columns(), rows = screen_.rows();
    const int inner = std::max(20, std::min(columns - 6, 66));
    const std::vector<std::string> lines = wrapText(d.message, inner);
    const int fieldRows = d.field ? 2 : 0;
    const int height = static_cast<int>(lines.size()) + fieldRows + 4, width = inner + 4;
    const int top = std::max(0, (rows - height) / 2), left = std::max(0, (columns - width) / 2);
    for (int row = 0; row < height; ++row) screen_.fill(top + row, left, width, kPlain);
    screen_.frame(top, left, height, width);
    screen_.text(top, left + 2, " " + d.title + " ", CellStyle{.bold = true}, width - 4);
    for (std::size_t i = 0; i < lines.size(); ++i)
        screen_.text(top + 1 + static_cast<int>(i), left + 2, lines[i], kPlain, inner);
    int cursorRow = -1, cursorColumn = -1;
    if (d.field) {
        // The field scrolls sideways so that the cursor stays in it.
        const int row = top + 2 + static_cast<int>(lines.size());
        const std::size_t visible = static_cast<std::size_t>(inner);
        const std::size_t from = d.cursor < visible ? 0 : d.cursor - visible + 1;
        screen_.fill(row, left + 2, inner, CellStyle{.underline = true});
        screen_.text(row, left + 2, d.field->substr(from, visible), CellStyle{.underline = true},
                     inner);
        cursorRow = row;
        cursorColumn = left + 2 + static_cast<int>(d.cursor - from);
    }
    std::string row;
    std::vector<int> starts;
    for (const std::string& button : d.buttons) {
        if (!row.empty()) row += "   ";
        starts.push_back(static_cast<int>(row.size()));
        row += "< " + button + " >";
    }
    const int buttonRow = top + height - 2, buttonLeft = left + 2 + centred(inner, row.size());
    for (std::size_t i = 0; i < d.buttons.size(); ++i) {
        const std::string text = "< " + d.buttons[i] + " >";
        const bool focused = i == d.focus && !d.field;
        screen_.text(buttonRow, buttonLeft + starts[i], text,
                     focused ? kReverse : CellStyle{.bold = true});
        // The first letter of "Ja" and "Nein" answers the question.
        if (d.buttons.size() > 1) {
            CellStyle underlined = focused ? kReverse : CellStyle{.bold = true};
            underlined.underline = true;
            screen_.text(buttonRow, buttonLeft + starts[i] + 2, text.substr(2, 1), underlined, 1);
        }
    }
    screen_.show(cursorRow, cursorColumn);
}

}  // namespace kelvinor
