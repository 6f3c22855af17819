#include "curves/qt/chart_export.h"

#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

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

}  // namespace

bool exportChart(QChart* chart, QSize size, const QString& file, QString* error) {
    const QString type = QFileInfo(file).suffix().toLower();
    const QRectF area(QPointF(0, 0), QSizeF(size));
    if (type == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawChart(chart, painter, area);
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
            drawChart(chart, painter, area);
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
            drawChart(chart, painter, area);
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
