// Helpers of bench/curves_open.sh, which measures Kelvinor-Kurven on large
// logs side by side with a chart that holds every reading:
//   curves_bench --write-log ROWS FILE   a demonstration-like log (3 sensors,
//                                        2 s rows, alarms and faults)
//   curves_bench --all-points LOG PNG    the log drawn with every reading in
//                                        the series (no thinning, no marks)
//   curves_bench --write-recordings N FILE  a continued log of N recordings of 20 rows
//   curves_bench --kurven LOG PNG        the same log through Kelvinor-Kurven's chart
//   curves_bench --read LOG              the reader alone
#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "curves/model/log_reader.h"
#include "curves/qt/curve_chart.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int writeLog(long rows, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    std::fputs(
        "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n\r\nMESSVORGANG:\r\nBenchmark\r\n\r\n"
        "ERFASSUNGSSPARAMETER:\r\n\r\nAlarm-'+' bei\tTemperatur\t>50,00\t>126,00\t>126,00\t\r\n"
        "Alarm-'-' bei\tTemperatur\t<-56,00\t<-56,00\t<-5,00\t\r\n\r\n"
        "Log-Datum\tLog-Uhrzeit\tKeller\tK\xFC"
        "che\tAu\xDF"
        "en\r\n",
        file);
    // 2 s apart from 1 December 2026, 00:00 (calendar arithmetic by hand:
    // a 30-day month, then the next).
    for (long i = 0; i < rows; ++i) {
        const long seconds = 2 * i;
        const long day = seconds / 86400, inDay = seconds % 86400;
        const long month = 12 + day / 31, dayOfMonth = day % 31 + 1;
        const int year = 2026 + static_cast<int>((month - 1) / 12);
        const int a = 500 + 50 * static_cast<int>(i % 151),
                  b = 3000 + 30 * static_cast<int>(i % 168),
                  c = -200 - 10 * static_cast<int>(i % 331);
        std::string alarms;
        const bool fault = i % 997 == 5;
        if (fault)
            alarms +=
                "FEHLMESSUNG? (Sensor Nr. 2/ID 10ABCDEF01234567/'K\xFC"
                "che')\t";
        if (a > 5000) alarms += "'+' an Sensor Nr. 1/'Keller'\t";
        if (c < -500)
            alarms +=
                "'-' an Sensor Nr. 3/'Au\xDF"
                "en'\t";
        std::fprintf(file, "%02ld.%02ld.%04d\t%02ld:%02ld:%02ld\t%d,%02d\t%s\t-%d,%02d\t%s\r\n",
                     dayOfMonth, (month - 1) % 12 + 1, year, inDay / 3600, inDay / 60 % 60,
                     inDay % 60, a / 100, a % 100,
                     fault ? "85,00"
                           : (std::to_string(b / 100) + "," + std::to_string(b % 100 / 10) +
                              std::to_string(b % 10))
                                 .c_str(),
                     -c / 100, -c % 100, alarms.c_str());
    }
    return std::fclose(file) == 0 ? 0 : 1;
}

// A continued log: `recordings` recordings of 20 rows each, an hour apart.
int writeRecordings(long recordings, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    for (long r = 0; r < recordings; ++r) {
        std::fputs(
            "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n\r\n"
            "Alarm-'+' bei\tTemperatur\t>30,00\t>126,00\t>126,00\t\r\n"
            "Alarm-'-' bei\tTemperatur\t<-56,00\t<-56,00\t<-5,00\t\r\n\r\n"
            "Log-Datum\tLog-Uhrzeit\tA\tB\tC\r\n",
            file);
        for (int i = 0; i < 20; ++i)
            std::fprintf(file, "%02ld.01.2027\t%02ld:%02d:00\t%d,00\t20,00\t-%d,00\t%s\r\n",
                         1 + r / 24 % 28, r % 24, i, 20 + i, i % 7,
                         20 + i > 30 ? "'+' an Sensor Nr. 1/'A'\t" : "");
        std::fputs("\r\nEnde-Datum:\t01.01.2027\r\n", file);
    }
    return std::fclose(file) == 0 ? 0 : 1;
}

kurven::LogDocument read(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) std::exit(1);
    const QByteArray bytes = file.readAll();
    return kurven::readLog(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void render(QGraphicsScene& scene, QChart* chart, const char* png) {
    QImage image(1200, 700, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(0, 0, 1200, 700), chart->geometry());
    painter.end();
    if (png != nullptr) image.save(QString::fromLocal8Bit(png));
}

// The first picture, then ten steps of zooming in, each drawn: what a user
// waits for when opening the log and when zooming.
void openAndZoom(const char* label, QChart* chart, Clock::time_point start, const char* png) {
    QGraphicsScene scene;
    scene.addItem(chart);
    chart->resize(1200, 700);
    render(scene, chart, png);
    const double open = secondsSince(start);
    const auto zoomStart = Clock::now();
    for (int step = 0; step < 10; ++step) {
        chart->zoom(1.25);
        render(scene, chart, nullptr);
    }
    std::printf("%s: opened and drawn in %.2f s, 10 zoom steps drawn in %.2f s\n", label, open,
                secondsSince(zoomStart));
    scene.removeItem(chart);
}

int kurvenChart(const char* log, const char* png) {
    const auto start = Clock::now();
    const kurven::LogDocument document = read(log);
    auto* chart = new kurven::CurveChart(QStringLiteral("Benchmark"));
    chart->update(document);
    chart->showAll();
    openAndZoom("Kelvinor-Kurven's chart", chart, start, png);
    delete chart;
    return 0;
}

int allPoints(const char* log, const char* png) {
    const auto start = Clock::now();
    const kurven::LogDocument document = read(log);
    auto* chart = new QChart;
    auto* time = new QDateTimeAxis;
    auto* value = new QValueAxis;
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);
    const kurven::Recording& recording = document.recordings.at(0);
    double low = 1e9, high = -1e9;
    for (std::size_t k = 0; k < recording.sensors.size(); ++k) {
        QList<QPointF> points;
        for (std::size_t row = 0; row < recording.times.size(); ++row) {
            const double v = recording.readings[k][row];
            if (std::isnan(v)) continue;
            points.append(QPointF(static_cast<qreal>(recording.times[row]) * 1000, v));
            low = std::min(low, v);
            high = std::max(high, v);
        }
        auto* series = new QLineSeries;
        series->replace(points);
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(value);
    }
    time->setRange(QDateTime::fromMSecsSinceEpoch(recording.times.front() * 1000, Qt::UTC),
                   QDateTime::fromMSecsSinceEpoch(recording.times.back() * 1000, Qt::UTC));
    value->setRange(low, high);
    openAndZoom("every reading in the series", chart, start, png);
    delete chart;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--write-log" && argc == 4) return writeLog(std::atol(argv[2]), argv[3]);
    if (mode == "--write-recordings" && argc == 4)
        return writeRecordings(std::atol(argv[2]), argv[3]);
    if (mode == "--read" && argc == 3) {
        const auto start = Clock::now();
        const kurven::LogDocument document = read(argv[2]);
        std::printf("read %zu rows in %.2f s\n", document.recordings.at(0).times.size(),
                    secondsSince(start));
        return 0;
    }
    if ((mode == "--all-points" || mode == "--kurven") && argc == 4) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication application(argc, argv);
        return mode == "--kurven" ? kurvenChart(argv[2], argv[3]) : allPoints(argv[2], argv[3]);
    }
    std::fputs(
        "usage: curves_bench --write-log ROWS FILE | --write-recordings N FILE | --read LOG | "
        "--kurven LOG PNG | --all-points "
        "LOG PNG\n",
        stderr);
    return 2;
}
