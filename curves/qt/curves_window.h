#pragma once
// The main window of Kelvinor-Kurven: the chart of one log, followed while
// it grows, with a menu to open another log and to export the chart.
#include <QLabel>
#include <QMainWindow>
#include <memory>

#include "curves/qt/curve_chart.h"
#include "curves/qt/curve_view.h"
#include "curves/qt/log_follower.h"

namespace kurven {

class CurvesWindow : public QMainWindow {
    Q_OBJECT
  public:
    CurvesWindow();

    // Opens a log; a file that cannot be drawn is said in a message box.
    void openLog(const QString& path);
    CurveChart* chart() const { return chart_; }
    LogFollower* follower() const { return follower_.get(); }

  private:
    void chooseLog();
    void exportChart();
    void showChart();
    void refresh();
    void showStatus();

    std::unique_ptr<LogFollower> follower_;
    CurveChart* chart_ = nullptr;
    CurveView* view_ = nullptr;
    QLabel* status_;
};

}  // namespace kurven
