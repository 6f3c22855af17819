#include "curves/qt/curve_view.h"

#include <QKeyEvent>
#include <QLineSeries>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

namespace kurven {

CurveView::CurveView(CurveChart* chart, QWidget* parent)
    : QChartView(chart, parent), curves_(chart) {
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setFocusPolicy(Qt::StrongFocus);
    connect(chart, &CurveChart::grown, this, &CurveView::watchCurves);
    watchCurves();
}

// Tooltips for every curve, including those a growing log adds later.
void CurveView::watchCurves() {
    for (QAbstractSeries* series : curves_->series()) {
        auto* line = qobject_cast<QLineSeries*>(series);
        if (line == nullptr || line->property("kurven-tooltip").toBool()) continue;
        line->setProperty("kurven-tooltip", true);
        connect(line, &QLineSeries::hovered, this, [this, series](QPointF at, bool entered) {
            const QString text = entered ? curves_->describe(series, at) : QString();
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(QCursor::pos(), text, this);
        });
    }
}

void CurveView::wheelEvent(QWheelEvent* event) {
    const qreal factor = event->angleDelta().y() > 0 ? 1.25 : 0.8;
    const QPointF at = event->position();
    const QRectF area = chart()->plotArea();
    // Zoom about the pointer: the point under it stays where it is.
    QRectF zoomed(0, 0, area.width() / factor, area.height() / factor);
    zoomed.moveCenter(at + (area.center() - at) / factor);
    chart()->zoomIn(zoomed);
    curves_->stopFollowingAll();
    event->accept();
}

void CurveView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Plus:
            chart()->zoom(1.25);
            break;
        case Qt::Key_Minus:
            chart()->zoom(0.8);
            break;
        case Qt::Key_Left:
            chart()->scroll(-chart()->plotArea().width() / 10, 0);
            break;
        case Qt::Key_Right:
            chart()->scroll(chart()->plotArea().width() / 10, 0);
            break;
        case Qt::Key_Up:
            chart()->scroll(0, chart()->plotArea().height() / 10);
            break;
        case Qt::Key_Down:
            chart()->scroll(0, -chart()->plotArea().height() / 10);
            break;
        case Qt::Key_Home:
        case Qt::Key_0:
            curves_->showAll();
            event->accept();
            return;
        default:
            QChartView::keyPressEvent(event);
            return;
    }
    // Zoomed or moved by key: a growing log no longer resets the view.
    curves_->stopFollowingAll();
    event->accept();
}

void CurveView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        dragging_ = true;
        dragFrom_ = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    rangeAtPress_ = {curves_->timeAxis()->min(), curves_->timeAxis()->max()};
    QChartView::mousePressEvent(event);
}

void CurveView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const QPoint now = event->position().toPoint();
        const QPoint moved = now - dragFrom_;
        chart()->scroll(-moved.x(), moved.y());
        curves_->stopFollowingAll();
        dragFrom_ = now;
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void CurveView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && dragging_) {
        dragging_ = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
    // A rectangle drawn with the left button has zoomed in; a click has not.
    if (std::pair(curves_->timeAxis()->min(), curves_->timeAxis()->max()) != rangeAtPress_)
        curves_->stopFollowingAll();
}

}  // namespace kurven
