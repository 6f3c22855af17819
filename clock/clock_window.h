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
    // Puts the window at its place on the primary screen.
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
};

}  // namespace horalux
