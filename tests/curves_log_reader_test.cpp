// The curves' log reader: on logs the real recording writes (demonstration
// edition, scripted desktop, fake clock), and on a table of hand-made files
// for what a recording does not produce by itself: other line ends, cut and
// foreign files, bad rows, aliases with umlauts and a tab.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <regex>

#include "curves/model/decimation.h"
#include "curves/model/log_reader.h"
#include "logger/constants/control_ids.h"
#include "logger/text/cp1252.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
using kurven::LogDocument;
using kurven::MarkKind;

// A demonstration recording of `cycles` rows with the given
// thresholds into `logPath`; run twice on one file, it continues the log.
void recordDemo(const std::string& logPath, const std::string& title,
                const std::vector<std::string>& thresholdAnswers, int cycles) {
    Scenario scenario(ScenarioOptions{.soundAvailable = true});
    scenario.clock = FakeClock(2026, 12, 6, 23, 58, 59);
    scenario.desktop.answerPrompt(title);
    if (!thresholdAnswers.empty()) {
        scenario.desktop.clickAt(0, thresholdsButton);
        for (const std::string& answer : thresholdAnswers) scenario.desktop.answerPrompt(answer);
    }
    scenario.desktop.clickAt(0, startButton);
    scenario.desktop.answerPrompt("S5");
    scenario.desktop.answerPrompt(logPath);
    // The scan takes 1090 ms; the cycles come 2500 ms apart from 6000 ms on.
    scenario.desktop.clickAt(1090 + 2500LL * cycles + 4500, stopButton);
    scenario.desktop.answerMessage(kAnswerNo);
    scenario.runStartUp(1);
}

double demoValue(int sensor, int m) {
    const int hundredths[] = {500 + 50 * (m % 151), 3000 + 30 * (m % 168), -200 - 10 * (m % 331)};
    return hundredths[sensor] / 100.0;
}

TEST(CurvesLogReader, TwoRealDemonstrationRecordingsInOneFile) {
    TemporaryWorkFolder folder;
    EnvironmentChange home("HOME", folder.path().string());
    const std::string log = (folder.path() / "messung.KLV").string();
    recordDemo(log, "Keller im Dezember", {"50", "-56", "30", "-56", "126", "-3"}, 40);
    recordDemo(log, "", {}, 7);

    const std::string text = readFile(log);
    const LogDocument document = kurven::readLog(text);
    // The rows of each recording, counted in the text itself.
    const std::size_t secondStart = text.rfind("# # #  TEMPERATURERFASSUNG");
    const auto rowsIn = [](const std::string& part) {
        const std::regex row(R"(\r\n\d\d\.\d\d\.\d{4}\t\d\d:\d\d:\d\d\t)");
        return static_cast<std::size_t>(
            std::distance(std::sregex_iterator(part.begin(), part.end(), row), {}));
    };
    EXPECT_EQ(document.skippedRows, 0u);
    ASSERT_EQ(document.recordings.size(), 2u);
    const kurven::Recording& first = document.recordings[0];
    EXPECT_EQ(first.title, "Keller im Dezember");
    ASSERT_EQ(first.sensors.size(), 3u);
    const double warm[] = {50, 30, 126}, cold[] = {-56, -56, -3};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(first.sensors[k].alias, "S" + std::to_string(k + 1));
        EXPECT_EQ(first.sensors[k].warm, warm[k]);
        EXPECT_EQ(first.sensors[k].cold, cold[k]);
    }
    ASSERT_EQ(first.times.size(), 40u);
    ASSERT_EQ(rowsIn(text.substr(0, secondStart)), 40u);
    // Rows 2.5 s apart (the demonstration edition's cycle), whole seconds
    // in the log, across midnight (the recording starts at 23:59:00).
    for (std::size_t row = 1; row < first.times.size(); ++row) {
        const std::int64_t step = first.times[row] - first.times[row - 1];
        EXPECT_TRUE(step == 2 || step == 3) << row << ": " << step;
    }
    const std::int64_t midnight = *kurven::rowTime("07.12.2026", "00:00:00");
    EXPECT_LT(first.times.front(), midnight);
    EXPECT_GT(first.times.back(), midnight);
    for (int m = 0; m < 40; ++m)
        for (int k = 0; k < 3; ++k)
            EXPECT_DOUBLE_EQ(first.readings[k][m], demoValue(k, m)) << k << " " << m;
    // Every alarm entry the recording wrote, on the sensor it names.
    std::vector<kurven::Mark> expected;
    for (std::size_t m = 0; m < 40; ++m) {
        const int im = static_cast<int>(m);
        if (demoValue(0, im) > 50) expected.push_back({m, 0, MarkKind::Warm});
        if (demoValue(1, im) > 30) expected.push_back({m, 1, MarkKind::Warm});
        if (demoValue(2, im) < -3) expected.push_back({m, 2, MarkKind::Cold});
    }
    ASSERT_EQ(first.marks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(first.marks[i].row, expected[i].row) << i;
        EXPECT_EQ(first.marks[i].sensor, expected[i].sensor) << i;
        EXPECT_EQ(first.marks[i].kind, expected[i].kind) << i;
    }
    const kurven::Recording& second = document.recordings[1];
    EXPECT_EQ(second.title, "");
    EXPECT_EQ(second.times.size(), rowsIn(text.substr(secondStart)));
    EXPECT_GE(second.times.size(), 7u);
    EXPECT_EQ(second.sensors[0].warm, 126.0);
    EXPECT_TRUE(second.marks.empty());
    EXPECT_FALSE(kurven::unusableLogReason(document, 1).has_value());
}

// A log of one recording with the given column header and rows (CP1252).
std::string handMadeLog(const std::string& columns, const std::vector<std::string>& rows,
                        const std::string& eol = "\r\n", const std::string& sensorLines = "") {
    std::string text = "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #" + eol + eol + sensorLines +
                       "ERFASSUNGSSPARAMETER:" + eol + eol +
                       "Alarm-'+' bei\tTemperatur\t>25,50\t>126,00\t" + eol +
                       "Alarm-'-' bei\tTemperatur\t<-56,00\t<-10,00\t" + eol + eol + columns + eol;
    for (const std::string& row : rows) text += row + eol;
    return text;
}

TEST(CurvesLogReader, TableOfFiles) {
    const std::string twoColumns =
        "Log-Datum\tLog-Uhrzeit\tK\xFC"
        "che\tAu\xDF"
        "en";
    const std::vector<std::string> goodRows = {
        "31.12.2026\t23:59:58\t20,50\t-3,25\t",
        "01.01.2027\t00:00:08\t85,00\t-11,00\tFEHLMESSUNG? (Sensor Nr. 1/ID 10ABCDEF01234567/'K\xFC"
        "che')\t'+' an Sensor Nr. 1/'K\xFC"
        "che'\t'-' an Sensor Nr. 2/'Au\xDF"
        "en'\t",
        "01.01.2027\t00:00:18\t\t-2,00\t",
    };
    const std::string full = handMadeLog(twoColumns, goodRows);
    const std::string cutLog = full.substr(0, full.rfind("01.01.2027\t00:00:18") + 12);
    struct Case {
        const char* name;
        std::string text;
        std::size_t rows;
        std::size_t skipped;
        std::vector<std::string> aliases;  // UTF-8
        const char* reason;                // nullptr: drawable
    };
    const Case cases[] = {
        {"CR LF across the year's end",
         handMadeLog(twoColumns, goodRows),
         3,
         0,
         {"Küche", "Außen"},
         nullptr},
        {"LF only", handMadeLog(twoColumns, goodRows, "\n"), 3, 0, {"Küche", "Außen"}, nullptr},
        {"bad rows among good ones",
         handMadeLog(twoColumns, {goodRows[0], "31.12.2026\t23:59:59\t20,50",
                                  "xx.12.2026\t10:00:00\t1\t2\t", "32.12.2026\t10:00:00\t1\t2\t",
                                  "31.12.2026\t24:00:00\t1\t2\t", goodRows[1], "Zeile ohne Tab"}),
         2,
         5,
         {"Küche", "Außen"},
         nullptr},
        {"cut in the middle of its last row", cutLog, 2, 1, {"Küche", "Außen"}, nullptr},
        {"an alias with a tab, from the sensor lines",
         handMadeLog("Log-Datum\tLog-Uhrzeit\tA\tB\tC", goodRows, "\r\n",
                     "Sensor Nr. 1 alias 'A\tB' mit der ID 10ABCDEF01234567\r\n"
                     "Sensor Nr. 2 alias 'C' mit der ID 10ABCDEF01234568\r\n"),
         3,
         0,
         {"A\tB", "C"},
         nullptr},
        {"header only",
         handMadeLog(twoColumns, {}),
         0,
         0,
         {"Küche", "Außen"},
         "Die Datei enthält keine Messwerte."},
        {"foreign file",
         "Name;Wert\r\nx;1\r\n",
         0,
         0,
         {},
         "Die Datei ist keine Kelvinor-Logdatei."},
        {"empty file", "", 0, 0, {}, "Die Datei ist leer."},
        {"saved as UTF-8 with a byte order mark",
         "\xEF\xBB\xBF" + kelvinor::cp1252ToUtf8(handMadeLog(twoColumns, goodRows)),
         3,
         0,
         {"Küche", "Außen"},
         nullptr},
        {"saved as UTF-8 without a mark",
         kelvinor::cp1252ToUtf8(handMadeLog(twoColumns, goodRows)),
         3,
         0,
         {"Küche", "Außen"},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LogDocument document = kurven::readLog(c.text);
        std::size_t rows = 0;
        for (const auto& recording : document.recordings) rows += recording.times.size();
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(document.skippedRows, c.skipped);
        if (!c.aliases.empty()) {
            ASSERT_EQ(document.recordings.size(), 1u);
            ASSERT_EQ(document.recordings[0].sensors.size(), c.aliases.size());
            for (std::size_t k = 0; k < c.aliases.size(); ++k)
                EXPECT_EQ(document.recordings[0].sensors[k].alias, c.aliases[k]);
        }
        const auto reason = kurven::unusableLogReason(document, c.text.size());
        EXPECT_EQ(reason.value_or(""), c.reason ? c.reason : "");
    }
}

// A reading is a decimal number as Kelvinor writes it, within what a
// thermometer can show; anything else is no reading (NaN), like the fault.
TEST(CurvesLogReader, ReadingsAreDecimalNumbersAThermometerShows) {
    const std::pair<const char*, double> cases[] = {
        {"12,50", 12.5}, {"-3,25", -3.25}, {"+7,00", 7.0}, {"0,00", 0.0},   {"21.5", 21.5},
        {"inf", NAN},    {"-inf", NAN},    {"nan", NAN},   {"1e300", NAN},  {"1e2", NAN},
        {"99999", NAN},  {"-400,00", NAN}, {"0x1A", NAN},  {"12,5,0", NAN}, {"", NAN},
    };
    for (const auto& [text, expected] : cases) {
        const std::string log = handMadeLog("Log-Datum\tLog-Uhrzeit\tA",
                                            {std::string("31.12.2026\t23:59:58\t") + text + "\t"});
        const kurven::Recording recording = kurven::readLog(log).recordings.at(0);
        ASSERT_EQ(recording.readings.at(0).size(), 1u) << text;
        const double read = recording.readings[0][0];
        if (std::isnan(expected))
            EXPECT_TRUE(std::isnan(read)) << text << " read as " << read;
        else
            EXPECT_EQ(read, expected) << text;
    }
}

TEST(CurvesLogReader, FaultsAreMarksNotReadingsAndThresholdsAreRead) {
    const std::string text =
        handMadeLog("Log-Datum\tLog-Uhrzeit\tA\tB",
                    {"31.12.2026\t23:59:58\t20,50\t-3,25\t",
                     "01.01.2027\t00:00:08\t85,00\t-11,00\tFEHLMESSUNG? (Sensor Nr. 1/ID "
                     "10ABCDEF01234567/'A')\t'+' an Sensor Nr. 1/'A'\t'-' an Sensor Nr. 2/'B'\t",
                     "01.01.2027\t00:00:18\t\t-2,00\t'+' an Sensor Nr. 9/'X'\t"});
    const kurven::Recording recording = kurven::readLog(text).recordings.at(0);
    EXPECT_EQ(recording.times[1] - recording.times[0], 10);  // across midnight and the year
    EXPECT_EQ(recording.readings[0][0], 20.5);
    EXPECT_TRUE(std::isnan(recording.readings[0][1]));  // the fault code is no reading
    EXPECT_TRUE(std::isnan(recording.readings[0][2]));  // an empty field neither
    EXPECT_EQ(recording.readings[1][1], -11.0);
    EXPECT_EQ(recording.sensors[0].warm, 25.5);
    EXPECT_EQ(recording.sensors[1].cold, -10.0);
    EXPECT_TRUE(kurven::thresholdIsSet(recording.sensors[0].warm));
    EXPECT_FALSE(kurven::thresholdIsSet(recording.sensors[1].warm));  // 126: the default
    EXPECT_FALSE(kurven::thresholdIsSet(recording.sensors[0].cold));  // -56: the default
    ASSERT_EQ(recording.marks.size(), 3u);  // the entry for a sensor 9 that does not exist is not
    EXPECT_EQ(recording.marks[0].kind, MarkKind::Fault);
    EXPECT_EQ(recording.marks[1].kind, MarkKind::Warm);
    EXPECT_EQ(recording.marks[2].sensor, 1u);
    EXPECT_EQ(recording.marks[2].kind, MarkKind::Cold);
}

// A file that only looks like a log must not make the reader allocate
// without bound or overflow: huge sensor numbers, a threshold row of a
// hundred thousand columns, digits without end.
TEST(CurvesLogReader, HostileHeadersStayBounded) {
    const std::string heading = "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n";
    std::string manyColumns = "Alarm-'+' bei\tTemperatur\t";
    for (int k = 0; k < 100000; ++k) manyColumns += ">1,00\t";
    const std::string cases[] = {
        heading + "Sensor Nr. 99999999999999999999 alias 'X' mit der ID 1\r\n",
        heading + "Sensor Nr. 2000000000 alias 'X' mit der ID 1\r\n",
        heading + manyColumns + "\r\nLog-Datum\tLog-Uhrzeit\tA\r\n01.01.2027\t00:00:00\t1\t\r\n",
        heading +
            "Log-Datum\tLog-Uhrzeit\tA\r\n01.01.2027\t00:00:00\t1\t'+' an Sensor Nr. "
            "99999999999999999999/'A'\t\r\n",
        heading + "Log-Datum\tLog-Uhrzeit\tA\r\n01.01.99999999\t00:00:00\t1\t\r\n",
    };
    for (const std::string& text : cases) {
        const LogDocument document = kurven::readLog(text);
        ASSERT_EQ(document.recordings.size(), 1u);
        EXPECT_LE(document.recordings[0].sensors.size(), kurven::kMostSensors)
            << text.substr(0, 80);
        EXPECT_TRUE(document.recordings[0].marks.empty());
    }
    // A line of 50 MB among the rows is skipped and counted, and never held:
    // fed in pieces, the reader keeps at most one line's worth.
    kurven::LogReader reader;
    reader.feed(heading + "Log-Datum\tLog-Uhrzeit\tA\r\n01.01.2027\t00:00:00\t1\t\r\n");
    const std::string piece(1 << 20, 'x');
    for (int i = 0; i < 50; ++i) {
        reader.feed(piece);
        ASSERT_LE(reader.waitingBytes(), kurven::LogReader::kLongestLine);
    }
    reader.feed("\r\n01.01.2027\t00:00:02\t2\t\r\n");
    reader.finish();
    EXPECT_EQ(reader.document().recordings[0].times.size(), 2u);
    EXPECT_EQ(reader.document().skippedRows, 1u);
}

// A log being recorded arrives in pieces that end anywhere, even inside a
// CR LF: fed piece by piece it reads exactly as the whole file does.
TEST(CurvesLogReader, PiecesEndingAnywhereReadAsTheWholeFile) {
    TemporaryWorkFolder folder;
    EnvironmentChange home("HOME", folder.path().string());
    const std::string path = (folder.path() / "messung.KLV").string();
    recordDemo(path, "Titel", {"50", "-56", "30", "-56", "126", "-3"}, 30);
    recordDemo(path, "", {}, 5);
    const std::string text = readFile(path);
    const LogDocument whole = kurven::readLog(text);
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        kurven::LogReader reader;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t piece = std::min<std::size_t>(random() % 60, text.size() - at);
            reader.feed(std::string_view(text).substr(at, piece));
            at += piece;
        }
        const LogDocument& pieces = reader.document();
        ASSERT_EQ(pieces.recordings.size(), whole.recordings.size());
        for (std::size_t r = 0; r < whole.recordings.size(); ++r) {
            EXPECT_EQ(pieces.recordings[r].times, whole.recordings[r].times);
            EXPECT_EQ(pieces.recordings[r].marks.size(), whole.recordings[r].marks.size());
            for (std::size_t k = 0; k < 3; ++k)
                EXPECT_EQ(pieces.recordings[r].readings[k], whole.recordings[r].readings[k]);
        }
        EXPECT_EQ(reader.bytesFed(), text.size());
    }
}

TEST(CurvesDecimation, KeepsWhatThePlotShows) {
    using kurven::PlotPoint;
    const double nan = std::nan("");
    struct Case {
        const char* name;
        std::vector<double> xs, ys;
        double from, to;
        std::size_t columns;
        std::vector<PlotPoint> expected;
    };
    const Case cases[] = {
        {"fewer rows than columns: all of them",
         {0, 1, 2, 3},
         {5, 6, 7, 8},
         0,
         3,
         10,
         {{0, 5}, {1, 6}, {2, 7}, {3, 8}}},
        {"one column: first, lowest, highest, last in their order",
         {0, 1, 2, 3, 4, 5},
         {5, 9, 1, 7, 2, 6},
         0,
         5,
         1,
         {{0, 5}, {1, 9}, {2, 1}, {5, 6}}},
        {"the neighbours outside the range run the line to the edges",
         {0, 10, 20, 30},
         {1, 2, 3, 4},
         15,
         25,
         4,
         {{10, 2}, {20, 3}, {30, 4}}},
        {"no readings are skipped, inside and as neighbours",
         {0, 10, 20, 30, 40},
         {1, nan, 3, nan, 5},
         15,
         25,
         4,
         {{0, 1}, {20, 3}, {40, 5}}},
        {"an empty range", {0, 1}, {1, 2}, 5, 5, 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(kurven::decimateCurve(c.xs, c.ys, c.from, c.to, c.columns), c.expected);
    }
    // A million rows on 1000 columns: at most four points per column, and
    // the extremes are kept.
    std::vector<double> xs(1'000'000), ys(1'000'000);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        xs[i] = static_cast<double>(i);
        ys[i] = static_cast<double>((i * 7919) % 1000);
    }
    ys[123'456] = -40;
    ys[654'321] = 5000;
    const auto points = kurven::decimateCurve(xs, ys, 0, 999'999, 1000);
    EXPECT_LE(points.size(), 4000u);
    EXPECT_NE(std::find(points.begin(), points.end(), PlotPoint{123'456, -40}), points.end());
    EXPECT_NE(std::find(points.begin(), points.end(), PlotPoint{654'321, 5000}), points.end());

    const std::vector<PlotPoint> marks = {{0, 1}, {0.5, 2}, {1.2, 3}, {5, 4}, {9.9, 5}, {11, 6}};
    EXPECT_EQ(kurven::thinMarks(marks, 0, 10, 10),
              (std::vector<PlotPoint>{{0, 1}, {1.2, 3}, {5, 4}, {9.9, 5}}));
}

}  // namespace
}  // namespace kelvinor
