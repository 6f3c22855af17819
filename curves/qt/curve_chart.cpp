#include "curves/qt/curve_chart.h"

#include <QDateTime>
#include <QGraphicsLayout>
#include <QGraphicsSceneResizeEvent>
#include <QImage>
#include <QLegend>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "curves/model/round_step.h"
#include "curves/model/sensor_colours.h"
#include "curves/qt/time_ticks.h"

namespace kurven {
namespace {

constexpr int kMarkSize = 12;

enum class MarkShape { Triangle, Diamond, Star };

// How each of a sensor's mark series looks, in their order: an invalid fill
// is the sensor's colour.
struct MarkLook {
    MarkShape shape;
    QColor fill;
    const char* name;
};
const MarkLook kMarkLooks[] = {
    {MarkShape::Triangle, QColor(), "Alarm wärmer"},
    {MarkShape::Diamond, QColor(), "Alarm kälter"},
    {MarkShape::Star, QColor(Qt::black), "Fehlmessung"},
    {MarkShape::Star, QColor(Qt::white), "Fehlmessung ohne Messwert davor"}};

// Where the hollow stars of faults without a reading sit: just above the
// value axis's lower end, so that the whole star shows.
double lowerEdge(const QValueAxis& axis) {
    return axis.min() + (axis.max() - axis.min()) * 0.02;
}

QImage markImage(MarkShape shape, QColor fill) {
    QImage image(kMarkSize, kMarkSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill);
    const qreal s = kMarkSize - 1, h = s / 2 + 0.5;
    QPolygonF outline;
    switch (shape) {
        case MarkShape::Triangle:
            outline << QPointF(h, 0.5) << QPointF(s, s) << QPointF(0.5, s);
            break;
        case MarkShape::Diamond:
            outline << QPointF(h, 0.5) << QPointF(s, h) << QPointF(h, s) << QPointF(0.5, h);
            break;
        case MarkShape::Star:
            for (int i = 0; i < 10; ++i) {
                const qreal radius = i % 2 == 0 ? h - 0.5 : (h - 0.5) * 0.45;
                const qreal angle = -M_PI / 2 + i * M_PI / 5;
                outline << QPointF(h + radius * std::cos(angle), h + radius * std::sin(angle));
            }
            break;
    }
    painter.drawPolygon(outline);
    return image;
}

std::int64_t floorDivide(std::int64_t value, std::int64_t by) {
    return value >= 0 ? value / by : (value - by + 1) / by;
}

// A time of the log (seconds of its wall clock since 1970-01-01) as a local
// date and time.
QDateTime localDateTime(std::int64_t logSeconds) {
    const std::int64_t days = floorDivide(logSeconds, 86400);
    return QDateTime(QDate(1970, 1, 1).addDays(days),
                     QTime(0, 0).addSecs(static_cast<int>(logSeconds - days * 86400)));
}

// Every change of a series updates the domains of all series sharing its
// axes: a series whose points stay the same is left alone.
void replaceIfChanged(QXYSeries* series, const QList<QPointF>& points) {
    if (series->points() != points) series->replace(points);
}

}  // namespace

std::vector<MarkKey> markKeys() {
    std::vector<MarkKey> keys;
    for (const MarkLook& look : kMarkLooks)
        keys.push_back({markImage(look.shape, look.fill.isValid() ? look.fill : QColor(Qt::gray)),
                        QString::fromUtf8(look.name)});
    return keys;
}

QColor sensorColour(std::size_t sensor) {
    const Rgb rgb = sensorRgb(sensor);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

CurveChart::CurveChart(const QString& fallbackTitle)
    : timeAxis_(new QDateTimeAxis),
      valueAxis_(new QValueAxis),
      timeTicks_(new QCategoryAxis),
      key_(new SensorKey(this)) {
    // The date-time axis keeps the range (zoom and scroll act on it); its
    // labels and grid are the category axis's, on round times.
    timeAxis_->setVisible(false);
    timeTicks_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    valueAxis_->setTitleText(QStringLiteral("Temperatur in °C"));
    valueAxis_->setLabelFormat(QStringLiteral("%.1f"));
    // Decimal comma on the axis as in the log and the tooltips.
    setLocale(QLocale(QLocale::German, QLocale::Germany));
    setLocalizeNumbers(true);
    addAxis(timeAxis_, Qt::AlignBottom);
    addAxis(valueAxis_, Qt::AlignLeft);
    addAxis(timeTicks_, Qt::AlignBottom);
    QFont font = titleFont();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    setTitleFont(font);
    setTitle(fallbackTitle);  // until a recording names its measurement
    // The sensors' key below the plot instead of Qt's legend.
    legend()->hide();
    baseMargins_ = margins();
    connect(key_, &SensorKey::clicked, this, [this](std::size_t sensor) { toggleSensor(sensor); });
    // Zooming and scrolling change the time axis; the plot's width decides
    // how many points are worth drawing.
    connect(timeAxis_, &QDateTimeAxis::rangeChanged, this, [this] {
        placeTimeTicks();
        refill();
    });
    // The value grid lies on round temperatures, 0 °C among them, whatever
    // the zoom: a step of 1, 2 or 5 times a power of ten, about six to the
    // range.
    valueAxis_->setTickType(QValueAxis::TicksDynamic);
    valueAxis_->setTickAnchor(0);
    connect(valueAxis_, &QValueAxis::rangeChanged, this, [this](qreal low, qreal high) {
        valueAxis_->setTickInterval(roundStep((high - low) / 6));
        refill();
    });
    connect(this, &QChart::plotAreaChanged, this, [this] { refill(); });
}

// The log's times are local wall-clock times. Converting each through the
// time zone costs microseconds, so the offset is found once per hour of the
// log (daylight saving time changes on the hour).
qint64 CurveChart::axisTime(std::int64_t logSeconds) {
    const std::int64_t hour = floorDivide(logSeconds, 3600);
    auto found = hourOffsets_.find(hour);
    if (found == hourOffsets_.end()) {
        const std::int64_t start = hour * 3600;
        found = hourOffsets_.emplace(hour, localDateTime(start).toMSecsSinceEpoch() - start * 1000)
                    .first;
    }
    return logSeconds * 1000 + found->second;
}

// A local time whose hour is followed by an hour of another offset: the
// hour before the clocks go back, which the wall clock shows twice.
bool CurveChart::inRepeatedHour(std::int64_t logSeconds) {
    const std::int64_t hourStart = floorDivide(logSeconds, 3600) * 3600;
    return axisTime(hourStart + 3600) - axisTime(hourStart) > 3'600'000;
}

void CurveChart::addSeries(QAbstractSeries* series) {
    QChart::addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(valueAxis_);
}

// The key takes the rows it needs at the chart's lower edge; the plot gets
// the rest.
void CurveChart::placeKey() {
    constexpr qreal kBelowKey = 8;
    const qreal height = key_->arrange(size().width());
    key_->setPos(0, size().height() - height - kBelowKey);
    QMargins wanted = baseMargins_;
    if (height > 0) wanted.setBottom(baseMargins_.bottom() + static_cast<int>(height + kBelowKey));
    if (margins() == wanted) return;
    setMargins(wanted);
    // Laid out now, not at the next turn of the event loop: a chart drawn
    // into a file may never see one.
    if (layout() != nullptr) layout()->activate();
}

void CurveChart::placeTimeTicks() {
    const qint64 from = timeAxis_->min().toMSecsSinceEpoch();
    const qint64 to = timeAxis_->max().toMSecsSinceEpoch();
    for (const QString& label : timeTicks_->categoriesLabels()) timeTicks_->remove(label);
    timeTicks_->setRange(static_cast<qreal>(from), static_cast<qreal>(to));
    timeTicks_->setStartValue(static_cast<qreal>(from));
    for (const TimeTick& tick : kurven::timeTicks(from, to, QTimeZone::systemTimeZone()))
        timeTicks_->append(tick.label, static_cast<qreal>(tick.ms));
}

void CurveChart::resizeEvent(QGraphicsSceneResizeEvent* event) {
    QChart::resizeEvent(event);
    placeKey();
}

// Marks are points of a series without a line, each drawn as a small image
// (a scatter series would make a graphics item of every point); one series
// per sensor and kind serves all recordings, since marks need no gaps.
void CurveChart::addMarkSeries(std::size_t sensor, QColor colour) {
    if (marks_.size() <= sensor) marks_.resize(sensor + 1);
    static_assert(std::size(kMarkLooks) == kMarkSeries);
    for (int kind = 0; kind < kMarkSeries; ++kind) {
        const MarkLook& look = kMarkLooks[kind];
        auto* points = new QLineSeries;
        points->setPen(Qt::NoPen);
        points->setPointsVisible(true);
        points->setMarkerSize(kMarkSize);
        points->setLightMarker(markImage(look.shape, look.fill.isValid() ? look.fill : colour));
        addSeries(points);
        seriesOfSensor_[sensor].push_back(points);
        marks_[sensor].series[kind] = points;
    }
}

void CurveChart::addRecording(const Recording& recording, std::size_t index) {
    ShownRecording& shown = shown_[index];
    shown.drawn = true;
    for (std::size_t k = 0; k < recording.sensors.size(); ++k) {
        const Sensor& sensor = recording.sensors[k];
        const QColor colour = sensorColour(k);
        if (seriesOfSensor_.size() <= k) seriesOfSensor_.resize(k + 1);
        const bool first = seriesOfSensor_[k].empty();
        SensorSeries series;
        series.curve = new QLineSeries;
        series.curve->setName(QString::fromStdString(sensor.alias));
        series.curve->setPen(QPen(colour, 2));
        addSeries(series.curve);
        if (first) key_->addSensor(series.curve->name(), colour);
        curveOwner_[series.curve] = {index, k};
        seriesOfSensor_[k].push_back(series.curve);
        const auto threshold = [&](double value) -> QLineSeries* {
            if (!thresholdIsSet(value)) return nullptr;
            auto* line = new QLineSeries;
            line->setPen(QPen(colour, 2, Qt::DashLine));
            addSeries(line);
            seriesOfSensor_[k].push_back(line);
            includeValue(value);
            return line;
        };
        series.warm = threshold(sensor.warm);
        series.cold = threshold(sensor.cold);
        if (first) addMarkSeries(k, colour);
        shown.sensors.push_back(series);
    }
    if (!recording.title.empty()) setTitle(QString::fromStdString(recording.title));
}

void CurveChart::includeValue(double value) {
    if (!anyValue_) {
        low_ = high_ = value;
        anyValue_ = true;
    }
    low_ = std::min(low_, value);
    high_ = std::max(high_, value);
}

// The rows a recording has gained: their axis times, the value range, and
// the marks, which sit on the curve: an alarm at its reading, a fault
// (which has no reading) at the sensor's last reading before it.
void CurveChart::takeRows(ShownRecording& shown, const Recording& recording) {
    const std::size_t from = shown.xs.size(), rows = recording.times.size();
    for (std::size_t row = from; row < rows; ++row) {
        double x = static_cast<double>(axisTime(recording.times[row]));
        // When the clocks go back in autumn, a log's local times step back by
        // up to an hour: those rows lie in the repeated hour, an hour later in
        // real time than the same local time the first time round.
        if (!shown.xs.empty() && x < shown.xs.back() && shown.xs.back() - x <= 3'600'000 &&
            inRepeatedHour(recording.times[row]))
            x += 3'600'000;
        shown.xs.push_back(x);
    }
    std::size_t mark = shown.marks;
    for (std::size_t row = from; row < rows; ++row) {
        for (; mark < recording.marks.size() && recording.marks[mark].row == row; ++mark) {
            const Mark& m = recording.marks[mark];
            SensorSeries& series = shown.sensors[m.sensor];
            const double value = recording.readings[m.sensor][row];
            if (m.kind != MarkKind::Fault && std::isnan(value)) continue;
            // A fault sits on the sensor's last reading, or on the lower edge
            // (its y set when the series are filled) when it has none yet.
            const int kind = m.kind != MarkKind::Fault ? static_cast<int>(m.kind)
                             : series.hasValue         ? static_cast<int>(MarkKind::Fault)
                                                       : kFaultWithoutReading;
            auto& points = marks_[m.sensor].points[kind];
            const PlotPoint at{shown.xs[row], m.kind == MarkKind::Fault ? series.lastValue : value};
            // Sorted by time (a continued log may hold an earlier recording
            // after a later one); nearly always at the end.
            points.insert(
                std::upper_bound(points.begin(), points.end(), at,
                                 [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; }),
                at);
        }
        for (std::size_t k = 0; k < shown.sensors.size(); ++k) {
            const double value = recording.readings[k][row];
            if (std::isnan(value)) continue;
            includeValue(value);
            shown.sensors[k].lastValue = value;
            shown.sensors[k].hasValue = true;
        }
    }
    shown.marks = mark;
    if (rows > 0) {
        if (!anyTime_) firstTime_ = shown.xs.front();
        anyTime_ = true;
        lastTime_ = std::max(lastTime_, shown.xs.back());
    }
}

void CurveChart::update(const LogDocument& document) {
    document_ = &document;
    bool grew = false, added = false;
    if (shown_.size() < document.recordings.size()) shown_.resize(document.recordings.size());
    for (std::size_t r = 0; r < document.recordings.size(); ++r) {
        const Recording& recording = document.recordings[r];
        if (!recording.headerComplete) continue;  // perhaps still being written
        if (!shown_[r].drawn) {
            addRecording(recording, r);
            added = true;
        }
        if (recording.times.size() == shown_[r].xs.size()) continue;
        takeRows(shown_[r], recording);
        grew = true;
    }
    if (added) placeKey();
    if (!grew) return;
    refill();
    emit grown();
}

void CurveChart::refill() {
    if (refilling_ || document_ == nullptr) return;
    refilling_ = true;
    const double from = static_cast<double>(timeAxis_->min().toMSecsSinceEpoch());
    const double to = static_cast<double>(timeAxis_->max().toMSecsSinceEpoch());
    const auto columns = static_cast<std::size_t>(std::max(200.0, plotArea().width()));
    const auto toList = [](const std::vector<PlotPoint>& points) {
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(points.size()));
        for (const PlotPoint& p : points) list.append(QPointF(p.x, p.y));
        return list;
    };
    for (std::size_t r = 0; r < shown_.size(); ++r) {
        ShownRecording& shown = shown_[r];
        const Recording& recording = document_->recordings[r];
        for (std::size_t k = 0; k < shown.sensors.size(); ++k) {
            SensorSeries& series = shown.sensors[k];
            // One replacement per series: appending announces every point
            // on its own, and the chart redraws for each.
            replaceIfChanged(series.curve, toList(decimateCurve(shown.xs, recording.readings[k],
                                                                from, to, columns)));
            if (shown.xs.empty() || shown.thresholdRows == shown.xs.size()) continue;
            const Sensor& sensor = recording.sensors[k];
            if (series.warm != nullptr)
                series.warm->replace({QPointF(shown.xs.front(), sensor.warm),
                                      QPointF(shown.xs.back(), sensor.warm)});
            if (series.cold != nullptr)
                series.cold->replace({QPointF(shown.xs.front(), sensor.cold),
                                      QPointF(shown.xs.back(), sensor.cold)});
        }
        shown.thresholdRows = shown.xs.size();
    }
    for (SensorMarks& marks : marks_)
        for (int kind = 0; kind < kMarkSeries; ++kind) {
            std::vector<PlotPoint> points = thinMarks(marks.points[kind], from, to, columns);
            if (kind == kFaultWithoutReading)
                for (PlotPoint& p : points) p.y = lowerEdge(*valueAxis_);
            replaceIfChanged(marks.series[kind], toList(points));
        }
    refilling_ = false;
}

std::size_t CurveChart::pointsShown() const {
    std::size_t points = 0;
    for (const ShownRecording& shown : shown_)
        for (const SensorSeries& series : shown.sensors)
            points += static_cast<std::size_t>(series.curve->count());
    return points;
}

void CurveChart::showAll() {
    followingAll_ = true;
    if (!anyTime_) return;
    const double span = std::max(lastTime_ - firstTime_, 60'000.0);
    if (anyValue_) {
        const double margin = std::max(0.5, (high_ - low_) * 0.05);
        valueAxis_->setRange(low_ - margin, high_ + margin);
        valueAxis_->applyNiceNumbers();
    } else {
        valueAxis_->setRange(0, 30);  // only faults: their marks on the lower edge
    }
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(firstTime_)),
                        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(firstTime_ + span)));
}

void CurveChart::toggleSensor(std::size_t sensor) {
    const std::vector<QAbstractSeries*>& own = seriesOfSensor_[sensor];
    const bool visible = !own.front()->isVisible();
    for (QAbstractSeries* series : own) series->setVisible(visible);
    key_->setShown(sensor, visible);
}

QString CurveChart::describe(QAbstractSeries* series, QPointF at) const {
    const auto owner = curveOwner_.find(series);
    if (owner == curveOwner_.end() || document_ == nullptr) return {};
    const auto [r, k] = owner->second;
    const std::vector<double>& xs = shown_[r].xs;
    if (xs.empty()) return {};
    auto found = std::lower_bound(xs.begin(), xs.end(), at.x());
    if (found == xs.end()) --found;
    if (found != xs.begin() && at.x() - *(found - 1) < *found - at.x()) --found;
    const std::size_t row = static_cast<std::size_t>(found - xs.begin());
    const Recording& recording = document_->recordings[r];
    const QDateTime when = localDateTime(recording.times[row]);
    const double value = recording.readings[k][row];
    const QString reading = std::isnan(value) ? QStringLiteral("kein Messwert")
                                              : QLocale(QLocale::German).toString(value, 'f', 2) +
                                                    QStringLiteral(" °C");
    return QStringLiteral("%1\n%2: %3")
        .arg(when.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")),
             QString::fromStdString(recording.sensors[k].alias), reading);
}

}  // namespace kurven
