#pragma once
// Saves a chart as PNG, SVG or PDF, chosen by the file name's ending.
#include <QChart>
#include <QSize>
#include <QString>

namespace kurven {

// A picture holds the chart and, along its lower edge, the key of the marks,
// this high.
inline constexpr qreal kMarkKeyHeight = 26;

// The chart drawn at `size` (pixels; points for PDF). False with `error` set
// when the file cannot be written or its type is unknown.
bool exportChart(QChart* chart, QSize size, const QString& file, QString* error);

}  // namespace kurven
