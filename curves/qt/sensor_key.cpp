#include "curves/qt/sensor_key.h"

#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kurven {
namespace {

constexpr qreal kSwatch = 10, kSwatchGap = 5, kEntryGap = 16, kRowGap = 4, kSideMargin = 12;

}  // namespace

SensorKey::SensorKey(QGraphicsItem* parent) : QGraphicsObject(parent) {
    font_.setPixelSize(12);
    setAcceptedMouseButtons(Qt::LeftButton);
}

void SensorKey::addSensor(const QString& name, QColor colour) {
    entries_.push_back({name, colour, true, {}});
}

void SensorKey::setShown(std::size_t sensor, bool shown) {
    entries_[sensor].shown = shown;
    update();
}

qreal SensorKey::arrange(qreal width) {
    const QFontMetricsF metrics(font_);
    const qreal rowHeight = std::max(kSwatch, metrics.height());
    qreal x = kSideMargin, y = 0;
    for (Entry& entry : entries_) {
        const qreal entryWidth =
            kSwatch + kSwatchGap + std::ceil(metrics.horizontalAdvance(entry.name)) + 1;
        // A new row unless the entry is the row's first (a name wider than
        // the chart keeps its own row).
        if (x > kSideMargin && x + entryWidth > width - kSideMargin) {
            x = kSideMargin;
            y += rowHeight + kRowGap;
        }
        entry.place = QRectF(x, y, entryWidth, rowHeight);
        x += entryWidth + kEntryGap;
    }
    prepareGeometryChange();
    size_ = QSizeF(width, entries_.empty() ? 0 : y + rowHeight);
    update();
    return size_.height();
}

QRectF SensorKey::nameRect(std::size_t sensor) const {
    return entries_[sensor].place.adjusted(kSwatch + kSwatchGap, 0, 0, 0);
}

void SensorKey::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    painter->setFont(font_);
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        const Entry& entry = entries_[k];
        const qreal alpha = entry.shown ? 1.0 : 0.4;
        QColor fill = entry.colour;
        fill.setAlphaF(alpha);
        const QRectF& place = entry.place;
        painter->setPen(QColor(0, 0, 0, static_cast<int>(255 * alpha)));
        painter->setBrush(fill);
        painter->drawRect(QRectF(place.left(), place.center().y() - kSwatch / 2, kSwatch, kSwatch));
        painter->drawText(nameRect(k), Qt::AlignLeft | Qt::AlignVCenter, entry.name);
    }
}

void SensorKey::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    for (std::size_t k = 0; k < entries_.size(); ++k)
        if (entries_[k].place.contains(event->pos())) {
            event->accept();
            emit clicked(k);
            return;
        }
    event->ignore();
}

}  // namespace kurven
