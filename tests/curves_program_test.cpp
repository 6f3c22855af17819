// Kelvinor-Kurven as a user meets it: the real program rendering a known log
// to PNG without a display (sampled where the values put the curves), its
// messages for files it cannot draw, and the window following a log that is
// being written, under the offscreen platform.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>
#include <set>

#include "curves/model/log_reader.h"
#include "curves/qt/chart_export.h"
#include "curves/qt/curve_chart.h"
#include "curves/qt/curves_window.h"
#include "curves/qt/time_ticks.h"

namespace kurven {
namespace {

// Two sensors: A steady at 20 °C with a warm threshold at 24, B at 10 °C
// with a fault (85,00) in the middle; rows a minute apart across midnight.
QByteArray knownLog(int rows, int firstRow = 0, bool header = true) {
    QByteArray text;
    if (header)
        text =
            "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n\r\nMESSVORGANG:\r\n"
            "Gew\xE4"
            "chshaus\r\n\r\nERFASSUNGSSPARAMETER:\r\n\r\n"
            "Alarm-'+' bei\tTemperatur\t>24,00\t>126,00\t\r\n"
            "Alarm-'-' bei\tTemperatur\t<-56,00\t<-56,00\t\r\n\r\n"
            "Log-Datum\tLog-Uhrzeit\tA\tB\r\n";
    for (int i = firstRow; i < firstRow + rows; ++i) {
        const int minutes = 23 * 60 + i;  // from 23:00 on, across midnight
        const QString row =
            QStringLiteral("%1\t%2:%3:00\t20,00\t%4\t%5\r\n")
                .arg(minutes >= 24 * 60 ? "09.12.2026" : "08.12.2026")
                .arg(minutes / 60 % 24, 2, 10, QLatin1Char('0'))
                .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                .arg(i == 50 ? "85,00" : "10,00")
                .arg(i == 50 ? "FEHLMESSUNG? (Sensor Nr. 2/ID DemoSensor 2/'B')\t" : "");
        text += row.toLatin1();
    }
    return text;
}

QString writeLog(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

struct ProgramRun {
    int code;
    QString errors;
    QString output;
};

ProgramRun runProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the program must manage without
    environment.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KURVEN_PROGRAM), arguments);
    process.waitForFinished(60'000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()),
            QString::fromUtf8(process.readAllStandardOutput())};
}

// How many pixels of `colour` lie within `radius` of `at`.
int pixelsNear(const QImage& image, QPointF at, QColor colour, int radius = 2) {
    int found = 0;
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -radius; dy <= radius; ++dy) {
            const QPoint p = at.toPoint() + QPoint(dx, dy);
            if (!image.rect().contains(p)) continue;
            const QColor c = image.pixelColor(p);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40)
                ++found;
        }
    return found;
}

TEST(CurvesProgram, RendersTheCurvesAndThresholdWhereTheValuesAre) {
    QTemporaryDir dir;
    const QString log = writeLog(dir, QStringLiteral("known.KLV"), knownLog(120));
    const QString png = dir.filePath(QStringLiteral("out.png"));
    const ProgramRun run = runProgram(
        {QStringLiteral("--png"), png, QStringLiteral("--size"), QStringLiteral("900x500"), log});
    ASSERT_EQ(run.code, 0) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(900, 500));

    // The same chart, laid out in this process, says where the values lie.
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const LogDocument document = readLog(std::string_view(bytes.constData(), bytes.size()));
    CurveChart chart(QStringLiteral("known.KLV"));
    chart.update(document);
    // Laid out as the program does: at the picture's size, then with the
    // marks' key below it.
    chart.resize(QSizeF(900, 500));
    chart.showAll();
    chart.resize(QSizeF(900, 500 - kMarkKeyHeight));
    EXPECT_EQ(chart.title(), QStringLiteral("Gewächshaus"));
    // The fault code is no reading: the value axis does not reach up to 85.
    EXPECT_LT(chart.valueAxis()->max(), 40);
    QLineSeries* a = nullptr;
    QLineSeries* b = nullptr;
    for (QAbstractSeries* series : chart.series()) {
        if (series->name() == QLatin1String("A")) a = qobject_cast<QLineSeries*>(series);
        if (series->name() == QLatin1String("B")) b = qobject_cast<QLineSeries*>(series);
    }
    ASSERT_TRUE(a && b);
    const auto& xs = document.recordings[0].times;
    for (const std::size_t row : {std::size_t{10}, std::size_t{70}, std::size_t{110}}) {
        const qreal x = static_cast<qreal>(chart.axisTime(xs[row]));
        EXPECT_GT(pixelsNear(image, chart.mapToPosition(QPointF(x, 20), a), sensorColour(0)), 0)
            << row;
        EXPECT_GT(pixelsNear(image, chart.mapToPosition(QPointF(x, 10), b), sensorColour(1)), 0)
            << row;
        // Nothing of A where B is, and the other way round.
        EXPECT_EQ(pixelsNear(image, chart.mapToPosition(QPointF(x, 15), a), sensorColour(0)), 0);
    }
    // The warm threshold of A, dashed: many but not all pixels along it.
    int dashed = 0, span = 0;
    for (std::size_t row = 5; row < 115; ++row) {
        const QPointF at =
            chart.mapToPosition(QPointF(static_cast<qreal>(chart.axisTime(xs[row])), 24), a);
        dashed += pixelsNear(image, at, sensorColour(0), 1) > 0 ? 1 : 0;
        ++span;
    }
    EXPECT_GT(dashed, span / 4);
    EXPECT_LT(dashed, span);
    // The fault row carries a mark (black) at B's last reading.
    const qreal faultX = static_cast<qreal>(chart.axisTime(xs[50]));
    EXPECT_GT(pixelsNear(image, chart.mapToPosition(QPointF(faultX, 10), b), Qt::black, 4), 0);
}

TEST(CurvesProgram, SaysWhyAFileCannotBeDrawn) {
    QTemporaryDir dir;
    struct Case {
        QByteArray text;
        QStringList extra;
        const char* message;
    };
    const Case cases[] = {
        {"Name;Wert\r\nx;1\r\n", {}, "keine Kelvinor-Logdatei"},
        {"", {}, "Die Datei ist leer."},
        {knownLog(0), {}, "keine Messwerte"},
        {knownLog(5), {QStringLiteral("--size"), QStringLiteral("12x7000")}, "Ungültige Größe"},
    };
    for (const Case& c : cases) {
        const QString log = writeLog(dir, QStringLiteral("case.KLV"), c.text);
        QStringList arguments = {QStringLiteral("--png"), dir.filePath(QStringLiteral("x.png"))};
        arguments << c.extra << log;
        const ProgramRun run = runProgram(arguments);
        EXPECT_EQ(run.code, 1) << c.message;
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.message))) << run.errors.toStdString();
    }
    // Files that are none, in German words; a FIFO is refused, not waited on.
    const QString fifo = dir.filePath(QStringLiteral("fifo.KLV"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
    const std::pair<QString, const char*> unreadable[] = {
        {dir.filePath(QStringLiteral("fehlt.KLV")), "„fehlt.KLV“ gibt es nicht."},
        {fifo, "„fifo.KLV“ ist keine gewöhnliche Datei."},
        {dir.path(), "ist keine gewöhnliche Datei."}};
    for (const auto& [path, message] : unreadable) {
        const ProgramRun run =
            runProgram({QStringLiteral("--png"), dir.filePath(QStringLiteral("x.png")), path});
        EXPECT_EQ(run.code, 1) << message;
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(message))) << run.errors.toStdString();
    }
    // The help without a display, and in German, Qt's own words too.
    const ProgramRun help = runProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0) << help.errors.toStdString();
    EXPECT_TRUE(help.output.contains(QStringLiteral("Optionen:"))) << help.output.toStdString();
    EXPECT_TRUE(help.output.contains(QStringLiteral("Als PNG-Bild speichern.")));
    // SVG and PDF from the same command line; a picture has the marks' key.
    const QString log = writeLog(dir, QStringLiteral("ok.KLV"), knownLog(30));
    for (const char* type : {"svg", "pdf"}) {
        const QString out = dir.filePath(QStringLiteral("out.") + QLatin1String(type));
        const ProgramRun run = runProgram({QStringLiteral("--") + QLatin1String(type), out, log});
        EXPECT_EQ(run.code, 0) << type;
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << type;
        const QByteArray all = file.readAll();
        EXPECT_TRUE(all.left(256).contains(type == std::string_view("svg") ? "<svg" : "%PDF"))
            << type;
        if (type == std::string_view("svg")) {
            for (const char* key : {"Alarm wärmer", "Alarm kälter", "Fehlmessung ohne Messwert"})
                EXPECT_TRUE(all.contains(key)) << key;
        }
    }
}

// A recording header cut short (a stop or power loss between the header's
// two appends) followed by a whole recording, as a continued log holds it.
TEST(CurvesProgram, DrawsALogWhoseFirstHeaderIsCutShort) {
    QTemporaryDir dir;
    const QByteArray whole = knownLog(30);
    for (const int headerLines : {1, 4, 10}) {
        QByteArray torn;
        for (int line = 0, at = 0; line < headerLines; ++line)
            at = whole.indexOf('\n', at) + 1, torn = whole.left(at);
        const QString log = writeLog(dir, QStringLiteral("torn.KLV"), torn + whole);
        const QString png = dir.filePath(QStringLiteral("torn.png"));
        const ProgramRun run = runProgram({QStringLiteral("--png"), png, log});
        EXPECT_EQ(run.code, 0) << headerLines << ": " << run.errors.toStdString();
        EXPECT_FALSE(QImage(png).isNull()) << headerLines;
    }
}

// Every named series is a sensor's curve in a recording whose header is
// complete; the chart must never index past what it drew.
std::size_t curvesExpected(const LogDocument& document) {
    std::size_t curves = 0;
    for (const Recording& recording : document.recordings)
        if (recording.headerComplete) curves += recording.sensors.size();
    return curves;
}

std::size_t curvesDrawn(CurveChart& chart) {
    std::size_t curves = 0;
    for (QAbstractSeries* series : chart.series()) curves += series->name().isEmpty() ? 0 : 1;
    return curves;
}

// Logs torn, shuffled and cut at random, fed to the chart in random pieces as
// a follower would: it draws every complete recording and nothing else.
TEST(CurvesChart, TakesDamagedLogsPieceByPiece) {
    std::mt19937 random(20261209);
    const QByteArray base = knownLog(12) + knownLog(8, 40);
    QList<QByteArray> lines = base.split('\n');
    for (int trial = 0; trial < 300; ++trial) {
        QList<QByteArray> mutated = lines;
        const int edits = static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const auto at =
                static_cast<qsizetype>(random() % static_cast<unsigned>(mutated.size()));
            switch (random() % 4) {
                case 0:
                    mutated.removeAt(at);
                    break;
                case 1:
                    mutated.insert(at, mutated[random() % static_cast<unsigned>(mutated.size())]);
                    break;
                case 2:
                    mutated[at].truncate(
                        static_cast<qsizetype>(random() % (mutated[at].size() + 1)));
                    break;
                default:
                    mutated[at].replace('\t', "\t\t");
                    break;
            }
        }
        const QByteArray text = mutated.join('\n');
        CurveChart chart{QString()};
        LogReader reader;
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype piece = 1 + static_cast<qsizetype>(random() % 200);
            reader.feed(std::string_view(text.constData() + at, static_cast<std::size_t>(std::min(
                                                                    piece, text.size() - at))));
            at += piece;
            chart.update(reader.document());
            chart.showAll();
        }
        reader.finish();
        chart.update(reader.document());
        ASSERT_EQ(curvesDrawn(chart), curvesExpected(reader.document())) << "trial " << trial;
    }
}

// When the clocks go back, the repeated hour's rows come after the first
// time round, on real time: the axis runs on without stepping back.
TEST(CurvesChart, TheRepeatedHourOfAutumnLiesAfterTheFirst) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QByteArray log = knownLog(0);
    for (const char* time : {"01:30", "02:00", "02:30", "02:00", "02:30", "03:00", "03:30"})
        log += QByteArray("25.10.2026\t") + time + ":00\t20,00\t10,00\t\r\n";
    const LogDocument document = readLog(std::string_view(log.constData(), log.size()));
    CurveChart chart{QString()};
    chart.update(document);
    chart.showAll();
    std::vector<double> xs;
    for (QAbstractSeries* series : chart.series())
        if (series->name() == QLatin1String("A"))
            for (const QPointF& p : qobject_cast<QLineSeries*>(series)->points())
                xs.push_back(p.x());
    ASSERT_EQ(xs.size(), 7u);
    for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_EQ(xs[i] - xs[i - 1], 1'800'000.0) << i;
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}

// Every one of Kelvinor's 61 sensors has a colour of its own.
TEST(CurvesChart, SixtyOneSensorsSixtyOneColours) {
    std::set<QRgb> colours;
    for (std::size_t k = 0; k < 61; ++k) colours.insert(sensorColour(k).rgb());
    EXPECT_EQ(colours.size(), 61u);
}

// The value axis speaks with a decimal comma, as the log and the tooltips.
TEST(CurvesChart, TheValueAxisHasADecimalComma) {
    const QByteArray log = knownLog(20);
    const LogDocument document = readLog(std::string_view(log.constData(), log.size()));
    QGraphicsScene scene;
    auto* chart = new CurveChart{QString()};
    scene.addItem(chart);
    chart->resize(800, 500);
    chart->update(document);
    chart->showAll();
    QStringList labels;
    for (QGraphicsItem* item : chart->childItems()) {
        QList<QGraphicsItem*> pending = {item};
        while (!pending.isEmpty()) {
            QGraphicsItem* next = pending.takeLast();
            pending += next->childItems();
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(next)) labels << text->toPlainText();
        }
    }
    const QRegularExpression comma(QStringLiteral("^-?\\d+,\\d$")),
        point(QStringLiteral("^-?\\d+\\.\\d$"));
    EXPECT_FALSE(labels.filter(comma).isEmpty()) << labels.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(labels.filter(point).isEmpty()) << labels.join(QLatin1Char('|')).toStdString();
    // The grid lies on round temperatures, 0 °C among them, also zoomed.
    for (const auto& [low, high] : {std::pair(-3.7, 27.3), std::pair(8.13, 9.02)}) {
        chart->valueAxis()->setRange(low, high);
        const double step = chart->valueAxis()->tickInterval();
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                    std::abs(mantissa - 5) < 1e-9)
            << step;
        EXPECT_EQ(chart->valueAxis()->tickAnchor(), 0.0);
        EXPECT_GE((high - low) / step, 3.0) << step;
        EXPECT_LE((high - low) / step, 12.0) << step;
    }
}

// Faults with no reading before them in their recording (a sensor faulty
// in every row, a fault in the first row) are marked on the plot's lower
// edge; a fault after a reading sits on that reading.
TEST(CurvesChart, EveryFaultIsMarked) {
    QByteArray log = knownLog(0);
    for (int i = 0; i < 5; ++i)
        log += QStringLiteral(
                   "09.12.2026\t00:0%1:00\t%2\t85,00\t%3FEHLMESSUNG? (Sensor Nr. 2/ID "
                   "DemoSensor 2/'B')\t\r\n")
                   .arg(i)
                   .arg(i == 0 || i == 3 ? "85,00" : "20,00")
                   .arg(i == 0 || i == 3 ? "FEHLMESSUNG? (Sensor Nr. 1/ID DemoSensor 1/'A')\t" : "")
                   .toLatin1();
    const LogDocument document = readLog(std::string_view(log.constData(), log.size()));
    CurveChart chart{QString()};
    chart.update(document);
    chart.showAll();
    std::vector<QPointF> onLowerEdge, onReading;
    const double edge =
        chart.valueAxis()->min() + (chart.valueAxis()->max() - chart.valueAxis()->min()) * 0.02;
    for (QAbstractSeries* series : chart.series()) {
        auto* line = qobject_cast<QLineSeries*>(series);
        if (line == nullptr || !line->pointsVisible()) continue;  // curves and thresholds
        for (const QPointF& p : line->points())
            (p.y() == edge ? onLowerEdge : onReading).push_back(p);
    }
    const auto at = [&](int minute) {
        return static_cast<double>(
            chart.axisTime(*rowTime("09.12.2026", "00:0" + std::to_string(minute) + ":00")));
    };
    // B in all five rows and A in its first; A's second fault on its reading 20.
    EXPECT_EQ(onLowerEdge.size(), 6u);
    ASSERT_EQ(onReading.size(), 1u);
    EXPECT_EQ(onReading[0], QPointF(at(3), 20.0));
    EXPECT_EQ(std::count_if(onLowerEdge.begin(), onLowerEdge.end(),
                            [&](QPointF p) { return p.x() == at(0); }),
              2);
}

// Waits for the window's follower to have read `rows` rows, by processing
// events (the file watcher's or the injected poll's).
bool waitForRows(CurvesWindow& window, std::size_t rows) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::size_t have = 0;
        for (const Recording& r : window.follower()->document().recordings) have += r.times.size();
        if (have == rows) return true;
    }
    return false;
}

// Shows the window, opens the log and follows it closely until it has read
// `rows` rows.
bool openAndFollow(CurvesWindow& window, const QString& path, std::size_t rows) {
    window.show();
    window.openLog(path);
    window.follower()->setPollInterval(10);
    return waitForRows(window, rows);
}

TEST(CurvesWindow, FollowsALogWhileItIsWrittenAndStartsAfreshWhenItIsReplaced) {
    QTemporaryDir dir;
    const QString path = writeLog(dir, QStringLiteral("live.KLV"), knownLog(3));
    CurvesWindow window;
    ASSERT_TRUE(openAndFollow(window, path, 3));
    EXPECT_EQ(window.chart()->pointsShown(), 6u);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    const QByteArray more = knownLog(4, 3, false);
    file.write(more.left(more.size() - 10));  // the last row not yet complete
    file.flush();
    ASSERT_TRUE(waitForRows(window, 6));
    file.write(more.right(10));
    file.close();
    ASSERT_TRUE(waitForRows(window, 7));
    EXPECT_EQ(window.chart()->pointsShown(), 14u);
    const QString status = window.statusBar()->findChildren<QLabel*>().front()->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("7 Messzeilen"))) << status.toStdString();

    // A new recording under the same name replaces the file.
    writeLog(dir, QStringLiteral("live.KLV"), knownLog(2));
    ASSERT_TRUE(waitForRows(window, 2));
    EXPECT_EQ(window.chart()->pointsShown(), 4u);
}

TEST(TimeTicks, OnRoundLocalTimesAcrossZoomsAndClockChanges) {
    const QTimeZone berlin("Europe/Berlin");
    const auto at = [&](const char* when) {
        const QDateTime wall = QDateTime::fromString(QString::fromLatin1(when),
                                                     QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz"));
        return QDateTime(wall.date(), wall.time(), berlin).toMSecsSinceEpoch();
    };
    struct Case {
        const char* from;
        const char* to;
        std::vector<const char*> labels;  // "<br>" between date and time
    };
    const Case cases[] = {
        {"09.12.2026 10:00:13.000",
         "09.12.2026 14:12:13.000",
         {"09.12.2026<br>11:00", "09.12.2026<br>12:00", "09.12.2026<br>13:00",
          "09.12.2026<br>14:00"}},
        {"09.12.2026 10:00:13.000",
         "09.12.2026 10:04:13.000",
         {"09.12.2026<br>10:01", "09.12.2026<br>10:02", "09.12.2026<br>10:03",
          "09.12.2026<br>10:04"}},
        {"09.12.2026 23:59:58.500",
         "10.12.2026 00:00:29.000",
         {"10.12.2026<br>00:00:00", "10.12.2026<br>00:00:05", "10.12.2026<br>00:00:10",
          "10.12.2026<br>00:00:15", "10.12.2026<br>00:00:20", "10.12.2026<br>00:00:25"}},
        // Spring: 02:00 does not exist; the lines stay on even hours.
        {"29.03.2026 00:00:00.000",
         "29.03.2026 12:00:00.000",
         {"29.03.2026<br>00:00", "29.03.2026<br>03:00", "29.03.2026<br>04:00",
          "29.03.2026<br>06:00", "29.03.2026<br>08:00", "29.03.2026<br>10:00",
          "29.03.2026<br>12:00"}},
        {"01.12.2026 00:00:00.000",
         "09.12.2026 12:00:00.000",
         {"01.12.2026", "03.12.2026", "05.12.2026", "07.12.2026", "09.12.2026"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> labels;
        for (const TimeTick& tick : timeTicks(at(c.from), at(c.to), berlin))
            labels.push_back(tick.label.toStdString());
        EXPECT_EQ(labels, std::vector<std::string>(c.labels.begin(), c.labels.end())) << c.from;
    }
    // Through the repeated hour: 02:00 CEST to 02:00 CET in quarter hours,
    // each tick a quarter hour of real time after the one before.
    const qint64 from = at("25.10.2026 01:00:00.000") + 3'600'000;  // the first 02:00
    const std::vector<TimeTick> ticks = timeTicks(from, from + 3'600'000 + 1, berlin, 4);
    ASSERT_EQ(ticks.size(), 5u);
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_EQ(ticks[i].ms, from + i * 900'000);
    EXPECT_EQ(ticks[4].label, QStringLiteral("25.10.2026<br>02:00"));
}

// A clicked key entry as the user clicks it: through the view, at the place
// the entry is drawn.
void clickKeyEntry(CurvesWindow& window, std::size_t sensor) {
    auto* view = qobject_cast<CurveView*>(window.centralWidget());
    SensorKey* key = window.chart()->sensorKey();
    const QPointF atScene = key->mapToScene(key->entryRect(sensor).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(atScene));
}

TEST(CurvesWindow, TheKeyHidesAndShowsASensorWithItsThresholdAndMarks) {
    QTemporaryDir dir;
    CurvesWindow window;
    window.show();
    window.openLog(writeLog(dir, QStringLiteral("legend.KLV"), knownLog(60)));
    QCoreApplication::processEvents();
    CurveChart* chart = window.chart();
    ASSERT_EQ(chart->sensorKey()->size(), 2u);  // one entry per sensor
    const auto visibleSeries = [&] {
        int visible = 0;
        for (QAbstractSeries* series : chart->series()) visible += series->isVisible() ? 1 : 0;
        return visible;
    };
    const int all = visibleSeries();
    // A: curve, warm threshold, four kinds of marks; B: curve and marks.
    EXPECT_EQ(all, 6 + 5);
    clickKeyEntry(window, 0);
    EXPECT_EQ(visibleSeries(), 5);
    EXPECT_EQ(chart->sensorKey()->size(), 2u);  // the entry stays to switch it back on
    clickKeyEntry(window, 0);
    EXPECT_EQ(visibleSeries(), all);
}

// Every one of 61 sensors keeps its whole name in the key, whatever the
// window's width; the key takes rows below the plot and its labels.
TEST(CurvesWindow, TheKeyNamesEveryOneOfSixtyOneSensorsInFull) {
    QByteArray text =
        "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n\r\nMESSVORGANG:\r\nKeller\r\n\r\n"
        "ERFASSUNGSSPARAMETER:\r\n\r\n";
    QByteArray warm = "Alarm-'+' bei\tTemperatur", cold = "Alarm-'-' bei\tTemperatur",
               names = "Log-Datum\tLog-Uhrzeit", row = "09.12.2026\t10:00:13";
    for (int k = 1; k <= 61; ++k) {
        warm += "\t>126,00";
        cold += "\t<-56,00";
        names += "\tHeizkreis " + QByteArray::number(k) + " Vorlauf";
        row += "\t" + QByteArray::number(k % 30) + ",50";
    }
    text += warm + "\t\r\n" + cold + "\t\r\n\r\n" + names + "\r\n" + row + "\r\n";
    QTemporaryDir dir;
    CurvesWindow window;
    window.show();
    window.openLog(writeLog(dir, QStringLiteral("viele.KLV"), text));
    for (const int width : {1200, 800}) {
        window.resize(width, 800);
        QCoreApplication::processEvents();
        CurveChart* chart = window.chart();
        SensorKey* key = chart->sensorKey();
        ASSERT_EQ(key->size(), 61u);
        const QRectF chartArea = key->mapRectFromItem(chart, chart->rect());
        const QRectF plot = key->mapRectFromItem(chart, chart->plotArea());
        for (std::size_t k = 0; k < key->size(); ++k) {
            const QRectF entry = key->entryRect(k);
            EXPECT_TRUE(chartArea.contains(entry)) << width << " sensor " << k + 1;
            EXPECT_GT(entry.top(), plot.bottom() + 20) << width << " sensor " << k + 1;
            if (k > 0) {
                EXPECT_FALSE(entry.intersects(key->entryRect(k - 1))) << k + 1;
            }
        }
        // The widest name fits its place.
        QFont font;
        font.setPixelSize(12);
        const QString name = QStringLiteral("Heizkreis 61 Vorlauf");
        EXPECT_GE(key->nameRect(60).width(), QFontMetricsF(font).horizontalAdvance(name)) << width;
    }
}

qint64 span(const CurveChart* chart) {
    return chart->timeAxis()->min().msecsTo(chart->timeAxis()->max());
}

// Every key that zooms or moves keeps the chart where the user put it when
// the log grows, as the mouse does.
TEST(CurvesWindow, AKeyThatZoomsOrMovesStopsFollowing) {
    QTemporaryDir dir;
    for (const Qt::Key key :
         {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        const QString path = writeLog(dir, QStringLiteral("keys.KLV"), knownLog(60));
        CurvesWindow window;
        ASSERT_TRUE(openAndFollow(window, path, 60));
        QTest::keyClick(window.centralWidget(), key);
        const auto kept =
            std::pair(window.chart()->timeAxis()->min(), window.chart()->valueAxis()->min());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(knownLog(10, 60, false));
        file.close();
        ASSERT_TRUE(waitForRows(window, 70));
        EXPECT_EQ(std::pair(window.chart()->timeAxis()->min(), window.chart()->valueAxis()->min()),
                  kept)
            << QKeySequence(key).toString().toStdString();
    }
}

// Keys, wheel and right-button drag as a user gives them; a zoomed chart
// stays where the user put it while the log grows, Home shows it all again.
TEST(CurvesWindow, ZoomAndMoveStayWhileTheLogGrowsUntilHome) {
    QTemporaryDir dir;
    const QString path = writeLog(dir, QStringLiteral("zoom.KLV"), knownLog(100));
    CurvesWindow window;
    window.resize(1000, 620);
    ASSERT_TRUE(openAndFollow(window, path, 100));
    CurveChart* chart = window.chart();
    auto* view = qobject_cast<CurveView*>(window.centralWidget());
    ASSERT_NE(view, nullptr);
    const qint64 whole = span(chart);
    EXPECT_EQ(whole, 99 * 60'000);  // a minute per row

    QTest::keyClick(view, Qt::Key_Plus);
    const qint64 zoomed = span(chart);
    EXPECT_NEAR(static_cast<double>(zoomed), whole / 1.25, whole * 0.01);
    QWheelEvent wheel(QPointF(500, 250), view->mapToGlobal(QPointF(500, 250)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_LT(span(chart), zoomed);
    const QDateTime before = chart->timeAxis()->min();
    const qint64 beforeSpan = span(chart);
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, QPoint(600, 250));
    QMouseEvent move(QEvent::MouseMove, QPointF(500, 250),
                     view->viewport()->mapToGlobal(QPointF(500, 250)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, QPoint(500, 250));
    EXPECT_GT(chart->timeAxis()->min(), before);  // dragged to the left: later times come in
    EXPECT_NEAR(static_cast<double>(span(chart)), beforeSpan, beforeSpan * 0.01);

    // More rows: the zoomed view stays.
    const QDateTime kept = chart->timeAxis()->min();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(knownLog(20, 100, false));
    file.close();
    ASSERT_TRUE(waitForRows(window, 120));
    EXPECT_EQ(chart->timeAxis()->min(), kept);

    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(span(chart), 119 * 60'000);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(knownLog(5, 120, false));
    file.close();
    ASSERT_TRUE(waitForRows(window, 125));
    EXPECT_EQ(span(chart), 124 * 60'000);  // following the whole log again

    // Pointing at a curve names the nearest row.
    QLineSeries* a = nullptr;
    for (QAbstractSeries* series : chart->series())
        if (series->name() == QLatin1String("A")) a = qobject_cast<QLineSeries*>(series);
    ASSERT_NE(a, nullptr);
    const std::int64_t row = *rowTime("09.12.2026", "00:10:00");
    EXPECT_EQ(chart->describe(a, QPointF(static_cast<qreal>(chart->axisTime(row)) + 20'000, 20.1)),
              QStringLiteral("09.12.2026 00:10:00\nA: 20,00 °C"));
}

}  // namespace
}  // namespace kurven

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
