#pragma once
// The key of the sensors below the chart: a coloured square and the sensor's
// name per entry, in as many rows as the chart's width needs, so that every
// name stays whole for all of Kelvinor's 61 sensors (Qt's legend puts all in
// one row and cuts the names to dots). A click on an entry asks to hide or
// show the sensor; a hidden sensor's entry stays, dimmed.
#include <QFont>
#include <QGraphicsObject>
#include <QRectF>
#include <QString>
#include <vector>

namespace kurven {

class SensorKey final : public QGraphicsObject {
    Q_OBJECT
  public:
    explicit SensorKey(QGraphicsItem* parent);

    void addSensor(const QString& name, QColor colour);
    void setShown(std::size_t sensor, bool shown);
    std::size_t size() const { return entries_.size(); }
    // Lays the entries out in rows across `width`; returns the height used.
    qreal arrange(qreal width);
    // Where an entry and its name lie, in the key's coordinates.
    QRectF entryRect(std::size_t sensor) const { return entries_[sensor].place; }
    QRectF nameRect(std::size_t sensor) const;

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), size_); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

  signals:
    void clicked(std::size_t sensor);

  protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

  private:
    struct Entry {
        QString name;
        QColor colour;
        bool shown = true;
        QRectF place;
    };
    std::vector<Entry> entries_;
    QFont font_;
    QSizeF size_;
};

}  // namespace kurven
