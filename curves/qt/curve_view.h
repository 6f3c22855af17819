#pragma once
// The chart on screen: drag a rectangle with the left button to zoom in,
// the wheel zooms around the pointer, the right button drags the chart,
// keys + and - zoom, the arrow keys move, Home or 0 shows everything.
// Hovering a curve shows date, time and reading of the nearest row.
#include <QChartView>
#include <QDateTime>
#include <utility>

#include "curves/qt/curve_chart.h"

namespace kurven {

class CurveView : public QChartView {
    Q_OBJECT
  public:
    explicit CurveView(CurveChart* chart, QWidget* parent = nullptr);

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void watchCurves();

    CurveChart* curves_;
    QPoint dragFrom_;
    std::pair<QDateTime, QDateTime> rangeAtPress_;
    bool dragging_ = false;
};

}  // namespace kurven
