#include "curves/qt/chart_export.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "curves/qt/curve_chart.h"

namespace kurven {
namespace {

void drawChart(QChart* chart, QPainter& painter, QRectF target) {
    // A chart shown in a window is drawn as it stands (zoom included); one
    // without a scene gets a scene of its own for the drawing.
    QGraphicsScene own;
    QGraphicsScene* scene = chart->scene();
    const QSizeF before = chart->size();
    if (scene == nullptr) {
        own.addItem(chart);
        scene = &own;
    }
    chart->resize(target.size());
    scene->setSceneRect(chart->geometry());
    scene->render(&painter, target, chart->geometry());
    chart->resize(before);
    if (scene == &own) own.removeItem(chart);
}

// The key of the marks along the lower edge, as the window's status bar
// has it: a picture does not show the window.
void drawKey(QPainter& painter, QRectF strip) {
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(Qt::black);
    qreal x = strip.left() + 12;
    for (const MarkKey& key : markKeys()) {
        const QSizeF size = key.picture.size();
        painter.drawImage(QPointF(x, strip.center().y() - size.height() / 2), key.picture);
        x += size.width() + 5;
        const qreal width = painter.fontMetrics().horizontalAdvance(key.name);
        painter.drawText(QRectF(x, strip.top(), width + 2, strip.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, key.name);
        x += width + 20;
    }
}

// The chart above, the key below.
void drawChartAndKey(QChart* chart, QPainter& painter, QRectF area) {
    drawChart(chart, painter, area.adjusted(0, 0, 0, -kMarkKeyHeight));
    drawKey(painter,
            QRectF(area.left(), area.bottom() - kMarkKeyHeight, area.width(), kMarkKeyHeight));
}

}  // namespace

bool exportChart(QChart* chart, QSize size, const QString& file, QString* error) {
    const QString type = QFileInfo(file).suffix().toLower();
    const QRectF area(QPointF(0, 0), QSizeF(size));
    if (type == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawChartAndKey(chart, painter, area);
        painter.end();
        if (image.save(file, "PNG")) return true;
    } else if (type == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setTitle(chart->title());
        QPainter painter;
        if (painter.begin(&svg)) {
            drawChartAndKey(chart, painter, area);
            if (painter.end()) return true;
        }
    } else if (type == QLatin1String("pdf")) {
        QPdfWriter pdf(file);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setResolution(72);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(chart->title());
        QPainter painter;
        if (painter.begin(&pdf)) {
            drawChartAndKey(chart, painter, area);
            if (painter.end()) return true;
        }
    } else {
        *error = QStringLiteral("Unbekannter Dateityp „%1“: möglich sind .png, .svg und .pdf.")
                     .arg(type);
        return false;
    }
    *error = QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden.").arg(file);
    return false;
}

}  // namespace kurven
