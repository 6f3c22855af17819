#pragma once
#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "logger/seams/desktop.h"

class QApplication;
class QDialog;
class QEventLoop;
class QTimer;
class QWindow;

namespace kelvinor {

class InputGate;

// The windows' fixed pixel geometry was laid out for the Windows GUI font
// (8-point sans serif); the same size keeps every label inside its control.
void useWindowsGuiMetrics(QApplication& application);

// The Desktop seam on Qt Widgets: top-level windows by number, controls by id.
class QtDesktop final : public Desktop {
  public:
    QtDesktop();
    ~QtDesktop() override;

    void openWindow(const WindowSpec& layout) override;
    void closeWindow(int window) override;
    void createControl(const ControlSpec& layout) override;
    bool hasControl(int id) const override;
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
    void updateDisplay() override;
    void serveWithoutInput(std::int64_t milliseconds) override;
    bool hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) override;
    void closeAll() override;

    // For tests of the real widgets.
    QWidget* window(int number) const;
    QWidget* control(int id) const;

    void post(const WindowEvent& event);

    // The stop from outside (SIGTERM, a session's end): once `stopRequested`
    // says yes, and from then on, the main window's close request is pending
    // and every prompt or message box is answered as Escape would answer it
    // ("Nein" for a question), so that a recording ends with its end block.
    void takeStopRequestsFrom(std::function<bool()> stopRequested);

  private:
    bool stopped();
    friend class InputGate;
    // The window and control numbers of an enabled button at `point` of a window.
    std::optional<WindowEvent> buttonAt(const QWindow* window, QPoint point) const;

    std::map<int, QPointer<QWidget>> windows_;
    std::map<int, QPointer<QWidget>> controls_;
    std::deque<WindowEvent> events_;
    QEventLoop* waiting_ = nullptr;
    std::unique_ptr<InputGate> gate_;
    std::function<bool()> stopRequested_;
    std::unique_ptr<QTimer> stopWatch_;
    // The prompt or message box on screen, and its answer when a stop comes.
    QDialog* openDialog_ = nullptr;
    int answerWhenStopped_ = 0;
};

}  // namespace kelvinor
