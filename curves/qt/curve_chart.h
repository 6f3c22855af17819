#pragma once
// The chart of a log: per sensor one curve per recording (so recordings are
// separate, with a gap between them), its set thresholds as dashed lines in
// the sensor's colour, and its alarm and fault entries as marks. The series
// hold only what the plot can show of the visible range (see decimation.h)
// and are refilled when the range changes or the log grows, so a log of a
// million rows stays quick to zoom and to follow.
#include <QCategoryAxis>
#include <QChart>
#include <QColor>
#include <QDateTimeAxis>
#include <QImage>
#include <QLineSeries>
#include <QString>
#include <QValueAxis>
#include <cstdint>
#include <map>
#include <vector>

#include "curves/model/decimation.h"
#include "curves/model/log_document.h"
#include "curves/qt/sensor_key.h"

namespace kurven {

QColor sensorColour(std::size_t sensor);

// The marks' pictures and names, in the order the chart's mark series have
// them (warmer, colder, fault, fault without a reading before it), for a key;
// alarms are shown in grey there, as their colour is the sensor's.
struct MarkKey {
    QImage picture;
    QString name;
};
std::vector<MarkKey> markKeys();

class CurveChart : public QChart {
    Q_OBJECT
  public:
    explicit CurveChart(const QString& fallbackTitle);

    // Takes in what the document has gained since the last call; the
    // document must stay alive while the chart shows it.
    void update(const LogDocument& document);
    // The whole time and value range of the log; the chart then keeps
    // showing all of a growing log until the user zooms or moves it.
    void showAll();
    bool followingAll() const { return followingAll_; }
    // The user has zoomed or moved the chart: a growing log no longer
    // resets it.
    void stopFollowingAll() { followingAll_ = false; }
    // Date, time and reading of the row nearest to a point of a curve.
    QString describe(QAbstractSeries* series, QPointF at) const;

    QDateTimeAxis* timeAxis() const { return timeAxis_; }
    QValueAxis* valueAxis() const { return valueAxis_; }
    SensorKey* sensorKey() const { return key_; }
    // The labels and grid lines of the time axis, on round local times.
    QCategoryAxis* timeTicks() const { return timeTicks_; }
    // Milliseconds of the chart's time axis for a row time of the log.
    qint64 axisTime(std::int64_t logSeconds);
    // Whether the log time lies in the hour that the autumn clock change
    // repeats.
    bool inRepeatedHour(std::int64_t logSeconds);
    // Points the series hold now, all curves together (for measuring).
    std::size_t pointsShown() const;

  signals:
    void grown();

  protected:
    void resizeEvent(QGraphicsSceneResizeEvent* event) override;

  private:
    struct SensorSeries {
        QLineSeries* curve = nullptr;
        QLineSeries* warm = nullptr;
        QLineSeries* cold = nullptr;
        double lastValue = 0;  // where a fault mark sits: the curve's last reading
        bool hasValue = false;
    };
    // One per recording of the document, by its number there; a recording
    // whose header is not complete has no series (yet).
    struct ShownRecording {
        bool drawn = false;
        std::vector<SensorSeries> sensors;
        std::vector<double> xs;  // axis time of every row
        std::size_t marks = 0;
        std::size_t thresholdRows = 0;  // rows the threshold lines span
    };

    // By MarkKind, then the faults that have no reading before them in
    // their recording: those sit on the plot's lower edge, as hollow stars.
    static constexpr int kMarkSeries = 4;
    static constexpr int kFaultWithoutReading = 3;
    struct SensorMarks {
        QLineSeries* series[kMarkSeries] = {};
        std::vector<PlotPoint> points[kMarkSeries];
    };

    void addMarkSeries(std::size_t sensor, QColor colour);
    void addRecording(const Recording& recording, std::size_t index);
    void addSeries(QAbstractSeries* series);
    void takeRows(ShownRecording& shown, const Recording& recording);
    void refill();
    void placeKey();
    void placeTimeTicks();
    void toggleSensor(std::size_t sensor);
    void includeValue(double value);

    QDateTimeAxis* timeAxis_;
    QValueAxis* valueAxis_;
    QCategoryAxis* timeTicks_;
    std::vector<ShownRecording> shown_;
    std::vector<SensorMarks> marks_;
    std::vector<std::vector<QAbstractSeries*>> seriesOfSensor_;
    std::map<QAbstractSeries*, std::pair<std::size_t, std::size_t>>
        curveOwner_;  // recording, sensor
    SensorKey* key_;
    QMargins baseMargins_;
    const LogDocument* document_ = nullptr;
    std::map<std::int64_t, qint64> hourOffsets_;
    double firstTime_ = 0, lastTime_ = 0;
    double low_ = 0, high_ = 0;
    bool anyValue_ = false;
    bool anyTime_ = false;
    bool refilling_ = false;
    bool followingAll_ = true;
};

}  // namespace kurven
