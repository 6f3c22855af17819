#include "logger/desktop/qt/qt_desktop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QValidator>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "logger/constants/control_ids.h"
#include "logger/desktop/qt/answer_window.h"
#include "logger/desktop/qt/logbook_view.h"
#include "logger/desktop/qt/qt_text.h"

namespace kelvinor {
namespace {

// A top-level window of the program; its close box asks, the program decides.
class ProgramWindow final : public QWidget {
  public:
    ProgramWindow(QtDesktop& desktop, int number, Qt::WindowFlags flags)
        : QWidget(nullptr, flags), desktop_(desktop), number_(number) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        desktop_.post({WindowEvent::Kind::CloseRequest, number_, 0});
    }

  private:
    QtDesktop& desktop_;
    int number_;
};

// The prompt: Escape and the close request reject it with an empty answer.
class PromptDialog final : public QDialog {
  public:
    using QDialog::QDialog;
};

// A one-line field takes only what stands before the first line break of a
// paste or drop, as a Windows single-line edit control does. The field's own
// text never holds a line break, so a break in the input lies in the text
// just inserted, which ends at the cursor.
class FirstLineOfInsertions final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        static const QRegularExpression kBreak(QStringLiteral("[\r\n]"));
        const qsizetype cut = input.indexOf(kBreak);
        if (cut < 0) return Acceptable;
        input = input.left(cut) + (cut < position ? input.mid(position) : QString());
        position = static_cast<int>(cut);
        return Acceptable;
    }
};

void centreOnScreen(QWidget& widget, QSize outer) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    widget.move(area.x() + (area.width() - outer.width()) / 2,
                area.y() + (area.height() - outer.height()) / 2);
}

// Places a window by its outer frame. A window manager adds the frame some
// time after show(); until then the frame margins read zero. So the placement
// is applied again whenever the margins the window reports have changed.
class FramePlacement final : public QObject {
  public:
    using Place = std::function<void(QWidget&, QMargins)>;
    FramePlacement(QWidget& window, Place place) : QObject(&window), place_(std::move(place)) {
        window.installEventFilter(this);
        apply(window);
        // The frame may come without an event of the window's own: look
        // again every 50 ms for the first two seconds.
        auto* poll = new QTimer(this);
        QObject::connect(poll, &QTimer::timeout, this, [this, poll, &window] {
            apply(window);
            if (++polls_ >= 40) poll->stop();
        });
        poll->start(50);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
                apply(*static_cast<QWidget*>(watched));
                break;
            default:
                break;
        }
        return false;
    }

  private:
    void apply(QWidget& window) {
        const QWindow* handle = window.windowHandle();
        const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
        if (applied_ && frame == frame_) return;
        applied_ = true;
        frame_ = frame;
        place_(window, frame);
    }

    Place place_;
    int polls_ = 0;
    bool applied_ = false;
    QMargins frame_;
};

QSize frameSize(QMargins frame) {
    return QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

void setColourRole(QWidget* widget, QPalette::ColorRole role, Colour colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, toQColor(colour));
    palette.setColor(QPalette::Inactive, role, toQColor(colour));
    palette.setColor(QPalette::Disabled, role, toQColor(colour));
    widget->setPalette(palette);
}

}  // namespace

// User input reaches the windows only while the program waits for it (the
// event wait, a modal prompt or message box). At every other moment the
// window system is still served, so the windows repaint, but input is not
// taken: a click on an enabled button becomes an event for the next wait, as
// Windows keeps it in the queue; everything else is dropped. Close requests
// are events anyway.
class InputGate final : public QObject {
  public:
    explicit InputGate(QtDesktop& desktop) : desktop_(desktop) {
        if (QCoreApplication* application = QCoreApplication::instance())
            application->installEventFilter(this);
    }

    // Open while an object of this kind lives.
    class Open {
      public:
        explicit Open(InputGate& gate) : gate_(gate) { ++gate_.open_; }
        ~Open() { --gate_.open_; }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;

      private:
        InputGate& gate_;
    };

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Input arrives at a top-level window first; only there is it judged.
        if (!receiver->isWindowType()) return false;
        const auto* window = static_cast<QWindow*>(receiver);
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (open_ > 0) {
                    pressed_.reset();  // a new press: a kept one has lost its release
                    return false;
                }
                pressed_ = desktop_.buttonAt(window, mouse->position().toPoint());
                return true;
            }
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                const std::optional<WindowEvent> under =
                    desktop_.buttonAt(window, mouse->position().toPoint());
                const std::optional<WindowEvent> pressed = std::exchange(pressed_, std::nullopt);
                // A press kept while input was closed ends in a click here.
                if (pressed && under && pressed->control == under->control) {
                    desktop_.post(*pressed);
                    return true;
                }
                // Otherwise a release goes through: it completes a press that a
                // button took while input was open, and is harmless elsewhere.
                return false;
            }
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::ContextMenu:
                return open_ == 0;
            default:
                return false;
        }
    }

  private:
    QtDesktop& desktop_;
    int open_ = 0;
    std::optional<WindowEvent> pressed_;  // a press on a button while input was closed
};

void useWindowsGuiMetrics(QApplication& application) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    application.setFont(font);
}

QtDesktop::QtDesktop() : gate_(std::make_unique<InputGate>(*this)) {}

QtDesktop::~QtDesktop() {
    closeAll();
}

void QtDesktop::takeStopRequestsFrom(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
    // Asked four times a second: a wait for the next cycle or a dialog on
    // screen is ended within a quarter of a second of the stop.
    stopWatch_ = std::make_unique<QTimer>();
    QObject::connect(stopWatch_.get(), &QTimer::timeout, [this] {
        if (!stopped()) return;
        if (openDialog_ != nullptr) openDialog_->done(answerWhenStopped_);
        if (waiting_ != nullptr) waiting_->quit();
    });
    stopWatch_->start(250);
}

bool QtDesktop::stopped() {
    return stopRequested_ && stopRequested_();
}

void QtDesktop::post(const WindowEvent& event) {
    events_.push_back(event);
    if (waiting_ != nullptr) waiting_->quit();
}

void QtDesktop::openWindow(const WindowSpec& layout) {
    closeWindow(layout.window);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (layout.withWindowButtons)
        flags |=
            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    auto* window = new ProgramWindow(*this, layout.window, flags);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(toQString(layout.title));
    const QSize client(layout.clientWidth, layout.clientHeight);
    window->setFixedSize(client);
    if (!layout.withWindowButtons) askForCaptionOnly(*window);
    // The client size is the window's; centred by the outer size.
    new FramePlacement(*window, [client](QWidget& w, QMargins frame) {
        centreOnScreen(w, client + frameSize(frame));
    });
    window->show();
    windows_[layout.window] = window;
}

void QtDesktop::closeWindow(int number) {
    const auto it = windows_.find(number);
    if (it == windows_.end()) return;
    if (it->second) {
        for (auto control = controls_.begin(); control != controls_.end();) {
            if (!control->second || control->second->window() == it->second.data())
                control = controls_.erase(control);
            else
                ++control;
        }
        delete it->second.data();
    }
    windows_.erase(it);
}

void QtDesktop::createControl(const ControlSpec& layout) {
    QWidget* parent = window(layout.window);
    if (parent == nullptr) return;
    QWidget* widget = nullptr;
    const QString text = toDisplayText(layout.text);
    switch (layout.kind) {
        case ControlKind::StaticText: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment((layout.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
            if (layout.sunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            widget = label;
            break;
        }
        case ControlKind::ReadOnlyTextField: {
            auto* field = new QLineEdit(text, parent);
            field->setReadOnly(true);
            field->setAlignment(layout.centred ? Qt::AlignCenter : Qt::AlignLeft);
            field->setFocusPolicy(Qt::ClickFocus);
            widget = field;
            break;
        }
        case ControlKind::Logbook: {
            auto* logbook = new LogbookView(parent);
            logbook->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            logbook->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            widget = logbook;
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
        case ControlKind::ToggleButton: {
            auto* button = new QPushButton(text, parent);
            button->setDefault(layout.kind == ControlKind::DefaultPushButton);
            button->setCheckable(layout.kind == ControlKind::ToggleButton);
            button->setAutoDefault(false);
            const int window = layout.window;
            const int id = layout.id;
            QObject::connect(button, &QPushButton::clicked, button, [this, window, id] {
                post({WindowEvent::Kind::Control, window, id});
            });
            widget = button;
            break;
        }
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, layout.rangeMaximum);
            bar->setValue(0);
            bar->setTextVisible(false);
            widget = bar;
            break;
        }
    }
    widget->setObjectName(QStringLiteral("control%1").arg(layout.id));
    widget->setGeometry(layout.x, layout.y, layout.width, layout.height);
    widget->show();
    controls_[layout.id] = widget;
}

bool QtDesktop::hasControl(int id) const {
    return control(id) != nullptr;
}

QWidget* QtDesktop::window(int number) const {
    const auto it = windows_.find(number);
    return it == windows_.end() ? nullptr : it->second.data();
}

QWidget* QtDesktop::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.data();
}

void QtDesktop::setText(int id, const std::string& text) {
    QWidget* widget = control(id);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(toDisplayText(text));
    else if (auto* field = qobject_cast<QLineEdit*>(widget))
        field->setText(toQString(text));
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(toQString(text));
    else if (auto* logbook = qobject_cast<LogbookView*>(widget))
        logbook->setPlainText(text);
}

void QtDesktop::setTextColour(int id, Colour colour) {
    QWidget* widget = control(id);
    if (widget == nullptr) return;
    setColourRole(widget, qobject_cast<QLineEdit*>(widget) ? QPalette::Text : QPalette::WindowText,
                  colour);
    setColourRole(widget, QPalette::ButtonText, colour);
}

void QtDesktop::setBackgroundColour(int id, Colour colour) {
    QWidget* widget = control(id);
    if (widget == nullptr) return;
    setColourRole(widget, qobject_cast<QLineEdit*>(widget) ? QPalette::Base : QPalette::Window,
                  colour);
    widget->setAutoFillBackground(true);
}

void QtDesktop::setTooltip(int id, const std::string& text) {
    if (QWidget* widget = control(id)) widget->setToolTip(toQString(text));
}

void QtDesktop::setEnabled(int id, bool enabled) {
    if (QWidget* widget = control(id)) widget->setEnabled(enabled);
}

void QtDesktop::setChecked(int id, bool checked) {
    if (auto* button = qobject_cast<QPushButton*>(control(id))) button->setChecked(checked);
}

void QtDesktop::setProgress(int id, int value) {
    if (auto* bar = qobject_cast<QProgressBar*>(control(id))) bar->setValue(value);
}

void QtDesktop::appendLogbookLine(int id, const std::string& line) {
    if (auto* logbook = qobject_cast<LogbookView*>(control(id))) logbook->appendLine(line);
}

void QtDesktop::clearLogbook(int id) {
    if (auto* logbook = qobject_cast<LogbookView*>(control(id))) logbook->clear();
}

std::string QtDesktop::askText(const std::string& title, const std::string& message,
                               const std::string& preset) {
    PromptDialog dialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setObjectName(QStringLiteral("askText"));
    dialog.setWindowTitle(toQString(title));
    dialog.setModal(true);
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* label = new QLabel(toDisplayText(message), &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(10, 10, 280, 22);
    auto* field = new QLineEdit(toQString(preset), &dialog);
    field->setObjectName(QStringLiteral("answer"));
    field->setValidator(new FirstLineOfInsertions(field));
    field->setGeometry(10, 32, 275, 21);
    field->setCursorPosition(field->text().size());
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setGeometry(110, 67, 80, 25);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    // The prompt's outer size is 300 x 130, frame included, centred.
    new FramePlacement(dialog, [](QWidget& w, QMargins frame) {
        w.setFixedSize(QSize(300, 130) - frameSize(frame));
        centreOnScreen(w, QSize(300, 130));
    });
    askForCaptionOnly(dialog);
    keepOnScreen(dialog);
    if (stopped()) return std::string();
    dialog.show();
    field->setFocus(Qt::OtherFocusReason);
    InputGate::Open open(*gate_);
    openDialog_ = &dialog;
    answerWhenStopped_ = QDialog::Rejected;
    const int result = dialog.exec();
    openDialog_ = nullptr;
    return result == QDialog::Accepted ? fromQString(field->text()) : std::string();
}

namespace {

// A message box as Windows shows it: German button texts without icons; a
// Yes/No box has no way out but its two buttons (Escape and the close request
// do nothing).
class ProgramMessageBox final : public QMessageBox {
  public:
    ProgramMessageBox(const QString& title, const QString& text, MessageButtons buttons)
        : QMessageBox(QMessageBox::NoIcon, title, text,
                      buttons == MessageButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                       : QMessageBox::Ok,
                      QApplication::activeWindow()),
          yesNo_(buttons == MessageButtons::YesNo) {
        const std::pair<QMessageBox::StandardButton, const char*> kTexts[] = {
            {QMessageBox::Ok, "OK"}, {QMessageBox::Yes, "&Ja"}, {QMessageBox::No, "&Nein"}};
        for (const auto& [which, text] : kTexts) {
            if (QAbstractButton* b = button(which)) {
                b->setText(QString::fromLatin1(text));
                b->setIcon(QIcon());
            }
        }
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (yesNo_ && event->matches(QKeySequence::Cancel)) return event->accept();
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (yesNo_) return event->ignore();
        QMessageBox::closeEvent(event);
    }

  private:
    bool yesNo_;
};

}  // namespace

int QtDesktop::showMessage(const std::string& title, const std::string& text,
                           MessageButtons buttons) {
    ProgramMessageBox box(toQString(title), toDisplayText(text), buttons);
    box.setObjectName(QStringLiteral("showMessage"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    askForCaptionOnly(box);
    keepOnScreen(box);
    if (stopped()) return buttons == MessageButtons::YesNo ? kAnswerNo : kAnswerOk;
    InputGate::Open open(*gate_);
    openDialog_ = &box;
    answerWhenStopped_ = buttons == MessageButtons::YesNo ? QMessageBox::No : QMessageBox::Ok;
    const int answer = box.exec();
    openDialog_ = nullptr;
    if (answer == QMessageBox::Yes) return kAnswerYes;
    if (answer == QMessageBox::No) return kAnswerNo;
    return kAnswerOk;
}

std::optional<WindowEvent> QtDesktop::waitForEvent(std::int64_t timeoutMs) {
    const WindowEvent closeRequest{WindowEvent::Kind::CloseRequest, mainWindow, 0};
    if (stopped()) return closeRequest;
    InputGate::Open open(*gate_);
    if (events_.empty()) {
        if (timeoutMs <= 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        } else {
            // Sleep in the window system's event wait until an event of ours
            // arrives or the time is up.
            QEventLoop loop;
            QTimer timer;
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            timer.start(static_cast<int>(std::min<std::int64_t>(timeoutMs, 24LL * 3600 * 1000)));
            waiting_ = &loop;
            loop.exec();
            waiting_ = nullptr;
        }
    }
    if (stopped()) return closeRequest;
    if (events_.empty()) return std::nullopt;
    const WindowEvent event = events_.front();
    events_.pop_front();
    return event;
}

void QtDesktop::updateDisplay() {
    for (auto& [number, window] : windows_)
        if (window) window->repaint();
    serveWithoutInput(0);
}

void QtDesktop::serveWithoutInput(std::int64_t milliseconds) {
    if (milliseconds <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The window system's own wait, so that the time passes without spinning.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(std::min<std::int64_t>(milliseconds, 24LL * 3600 * 1000)),
                       Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool QtDesktop::hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) {
    if (stopped() && matches({WindowEvent::Kind::CloseRequest, mainWindow, 0})) return true;
    return std::any_of(events_.begin(), events_.end(), matches);
}

std::optional<WindowEvent> QtDesktop::buttonAt(const QWindow* handle, QPoint point) const {
    for (const auto& [number, window] : windows_) {
        if (!window || window->windowHandle() != handle) continue;
        QWidget* child = window->childAt(point);
        for (const auto& [id, control] : controls_)
            if (control && control == child && qobject_cast<QPushButton*>(child) &&
                child->isEnabled())
                return WindowEvent{WindowEvent::Kind::Control, number, id};
    }
    return std::nullopt;
}

void QtDesktop::closeAll() {
    while (!windows_.empty()) closeWindow(windows_.begin()->first);
    controls_.clear();
}

}  // namespace kelvinor
