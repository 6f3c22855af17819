#pragma once
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace horalux {

// The one window of Horalux: weekday, date and time in red bold type. A close
// request only shows a notice: the clock ends when Kelvinor terminates it.
class ClockWindow final : public QWidget {
  public:
    ClockWindow();
    QLabel* field() const { return field_; }
    // Puts the window at its place on the primary screen, by its outer frame;
    // done again whenever the window manager changes the frame (the frame is
    // known only some time after the window is shown).
    void place();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void refresh();
    QLabel* field_ = nullptr;
    QTimer timer_;
    bool refreshing_ = false;
    bool ready_ = false;  // events arrive while the constructor still builds the window
    bool placed_ = false;
    QMargins placedFrame_;  // the frame margins the last placement used
};

}  // namespace horalux
