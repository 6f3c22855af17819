// The terminal edition as a user meets it: the real program in a real
// terminal (tmux), driven by keys and read from the screen.
#include <gtest/gtest.h>

#include <regex>

#include "logger/constants/control_ids.h"
#include "logger/text/cp1252.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/scenario.h"
#include "tests/support/tmux_terminal.h"

namespace kelvinor {
namespace {

using namespace testing;

const char* const kAliases[] = {"Vorlauf", "S2", "S3"};
// Warm and cold of sensors 1 to 3: from the third row on, sensor 1 (5,00
// climbing by 0,50) is in its warm alarm and sensor 3 (-2,00 falling by 0,10)
// in its cold one.
const char* const kThresholds[] = {"5,75", "-56,00", "126,00", "-56,00", "126,00", "-2,15"};

// Dates, times and weekdays aside, the rest of a log byte for byte.
std::string withoutTimes(const std::string& log) {
    static const std::regex kDate(R"(\d\d\.\d\d\.\d{4})"), kTime(R"(\d\d:\d\d:\d\d)");
    return std::regex_replace(std::regex_replace(log, kDate, "TT.MM.JJJJ"), kTime, "hh:mm:ss");
}

// The rows of a log without its times.
std::vector<std::string> rowsOf(const std::string& log) {
    std::vector<std::string> rows;
    const std::string start = "\r\nTT.MM.JJJJ\thh:mm:ss\t";
    for (std::size_t at = 0; (at = log.find(start, at)) != std::string::npos; ++at)
        rows.push_back(log.substr(at + 2, log.find("\r\n", at + 2) - at - 2));
    return rows;
}

// The same inputs through the desktop edition's prompts and clicks, stopped
// after as many rows.
std::string desktopEditionLog(std::size_t rows) {
    for (std::int64_t stopAt = 0; stopAt < 600'000; stopAt += 500) {
        TemporaryWorkFolder folder;
        Scenario scenario;
        ScriptedDesktop& d = scenario.desktop;
        d.answerPrompt(utf8ToCp1252("Kühlraum Nord"));
        d.clickAt(0, renameButton);
        for (const char* alias : kAliases) d.answerPrompt(alias);
        d.clickAt(0, thresholdsButton);
        for (const char* threshold : kThresholds) d.answerPrompt(threshold);
        d.clickAt(0, instantQueryButton);
        d.clickAt(0, startButton);
        d.answerPrompt("S2");
        d.answerPrompt(utf8ToCp1252("kühl.KLV"));
        d.clickAt(stopAt, stopButton);
        d.answerMessage(kAnswerNo);
        d.closeAt(stopAt);
        scenario.runStartUp(1);
        const std::string log = withoutTimes(readFile("kühl.KLV"));
        if (rowsOf(log).size() >= rows) return log;
    }
    return "";
}

// Answers the dialog with this title and message: the field emptied, the
// text typed, Enter; then waits until it is gone.
void answer(TmuxTerminal& terminal, const std::string& title, const std::string& message,
            const std::string& text) {
    ASSERT_TRUE(terminal.shows({title, message})) << title << "\n" << terminal.screen();
    terminal.keys("C-u");
    terminal.type(text);
    terminal.keys("Enter");
    ASSERT_TRUE(terminal.stopsShowing({title, message})) << terminal.screen();
}

TEST(TerminalProgram, RecordsADemonstrationAsTheDesktopEditionDoes) {
    TemporaryWorkFolder folder;
    TmuxTerminal terminal(KELVINOR_TERMINAL_DEMO, 100, 30);
    ASSERT_TRUE(terminal.shows({"Kelvinor: DEMO-Info", "< OK >"})) << terminal.screen();
    terminal.keys("Enter");
    answer(terminal, "Eingabe einer Überschrift", "einen Titel für die Messung", "Kühlraum Nord");
    // The main window: the header lines, the title in the logbook, the buttons.
    ASSERT_TRUE(terminal.shows({"Kelvinor für 1-Wire-Sensoren", "Logbuch-Fenster:", "Kühlraum Nord",
                                "F2 Sensoren-Namen ändern", "STATUS: Das Kelvinor ist bereit..."}))
        << terminal.screen();

    terminal.keys("F2");
    for (int k = 1; k <= 3; ++k)
        answer(terminal, "Alternativer Name für Sensor",
               "Sensor Nr. " + std::to_string(k) + "/ID DemoSensor " + std::to_string(k),
               kAliases[k - 1]);
    terminal.keys("w");  // the thresholds by their letter
    for (int k = 1; k <= 3; ++k) {
        const std::string sensor = "Sensor Nr. " + std::to_string(k) + "/ID";
        answer(terminal, "'WARM' (T < 126°C)", sensor, kThresholds[2 * k - 2]);
        answer(terminal, "'KALT' (T > -56°C)", sensor, kThresholds[2 * k - 1]);
    }
    terminal.keys("F1");
    ASSERT_TRUE(terminal.shows({"Ergebnis der Sensor-Sofort-Abfrage"})) << terminal.screen();
    terminal.keys("Escape");
    // The buttons are enabled again with the status line's news.
    ASSERT_TRUE(terminal.shows({"Sofort-Abfrage wurde ausgeführt"})) << terminal.screen();

    terminal.keys("F4");
    answer(terminal, "Zeitintervall für Datenerfassung", "Format:", "S2");
    // Below the shortest interval: the notice, and the shortest one used.
    ASSERT_TRUE(terminal.shows({"Kelvinor: Info", "Log-Intervall-Zeit 'S5' benutzen!"}))
        << terminal.screen();
    terminal.keys("Enter");
    answer(terminal, "Logfile-Dateiname", "Eingabe des Logfile-Dateinamens", "kühl.KLV");

    // At 80 x 24 while it records: the newest row, the lines below the
    // logbook and the buttons all in view; then back.
    terminal.resize(80, 24);
    ASSERT_TRUE(terminal.shows({"'-' an Sensor Nr. 3/'S3'", "Die nächste Aufzeichnung",
                                "F5 Datenerfassung BEENDEN", "STATUS: Die Datenaufzeichnung"},
                               30))
        << terminal.screen();
    const std::string small = terminal.screen();
    EXPECT_EQ(std::count(small.begin(), small.end(), '\n'), 24) << small;
    terminal.resize(100, 30);
    ASSERT_TRUE(terminal.shows({"'+' an Sensor Nr. 1/'Vorlauf'   '-' an"})) << terminal.screen();

    // The stop key during the wait, and the question at the end.
    terminal.keys("F5");
    ASSERT_TRUE(terminal.shows({"Log-Datei sofort öffnen?", "< Ja >", "< Nein >"}))
        << terminal.screen();
    terminal.keys("n");
    ASSERT_TRUE(eventually([] { return !readFile("code").empty(); }, 10)) << terminal.screen();
    EXPECT_EQ(readFile("code"), "0\n");

    const std::string log = withoutTimes(readFile("kühl.KLV"));
    const std::vector<std::string> rows = rowsOf(log);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(log, desktopEditionLog(rows.size()));
    // Every alarm row rang the terminal's bell, and nothing else did.
    std::size_t alarmRows = 0;
    for (const std::string& row : rows) alarmRows += row.find("an Sensor Nr.") != std::string::npos;
    EXPECT_GE(terminal.bells(), 1);
    EXPECT_LE(static_cast<std::size_t>(terminal.bells()), alarmRows);
}

}  // namespace
}  // namespace kelvinor

namespace kelvinor {
namespace {

using namespace testing;

TEST(TerminalProgram, WithoutADisplayTheClockIsInTheCornerAndFilesAreNamed) {
    TemporaryWorkFolder folder;
    writeScanBatches({{2, answerFileWith({"10A8B16B0108005D : DS1820"})}});
    writeFile("DATALINE.BAT", "echo started >dataline.started\nexec sleep 1012\n");
    TmuxTerminal terminal("env -u DISPLAY -u WAYLAND_DISPLAY " KELVINOR_TERMINAL, 80, 24);
    answer(terminal, "Eingabe einer Überschrift", "einen Titel für die Messung", "Keller");
    ASSERT_TRUE(terminal.shows({"STATUS: Das Kelvinor ist bereit..."})) << terminal.screen();

    // The clock's text in the top corner, and gone again.
    terminal.keys("F6");
    const std::regex clock(
        R"((Sonntag|Montag|Dienstag|Mittwoch|Donnerstag|Freitag|Samstag)  \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d)");
    const auto topLine = [&] { return terminal.screen().substr(0, terminal.screen().find('\n')); };
    ASSERT_TRUE(eventually([&] { return std::regex_search(topLine(), clock); })) << topLine();
    terminal.keys("u");
    ASSERT_TRUE(eventually([&] { return !std::regex_search(topLine(), clock); })) << topLine();

    // The homepage opens nothing; its address is named.
    terminal.keys("F7");
    ASSERT_TRUE(terminal.shows({"Kelvinor: Ohne Bildschirm", "Die Internetseite ist:"}))
        << terminal.screen();
    terminal.keys("Enter");

    // The logbook pages back to its start and follows the newest row again.
    terminal.keys("Home");
    ASSERT_TRUE(terminal.shows({"TEMPERATURERFASSUNG PER KELVINOR", "(Zeile 1 von"}))
        << terminal.screen();
    terminal.keys("NPage");
    ASSERT_TRUE(terminal.stopsShowing({"(Zeile 1 von"})) << terminal.screen();
    terminal.keys("End");
    ASSERT_TRUE(terminal.stopsShowing({"(Zeile "})) << terminal.screen();

    // The stop key while the bus hangs in the read: the read is given up.
    terminal.keys("F4");
    answer(terminal, "Zeitintervall für Datenerfassung", "Format:", "M1");
    answer(terminal, "Logfile-Dateiname", "Eingabe des Logfile-Dateinamens", "hang.KLV");
    ASSERT_TRUE(eventually([] { return std::filesystem::exists("dataline.started"); }, 20));
    terminal.keys("F5");
    ASSERT_TRUE(terminal.shows({"Log-Datei sofort öffnen?"})) << terminal.screen();
    // "Ja" without a display: where the log is.
    terminal.keys("j");
    const std::string path = std::filesystem::current_path().string() + "/hang.KLV";
    ASSERT_TRUE(terminal.shows({"Die Datei liegt hier:", path.substr(path.size() - 20)}))
        << terminal.screen();
    terminal.keys("Enter");
    ASSERT_TRUE(eventually([] { return !readFile("code").empty(); }, 10)) << terminal.screen();
    EXPECT_EQ(readFile("code"), "0\n");
    const std::string log = readFile("hang.KLV");
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
    EXPECT_EQ(log.find("\t5,00\t"), std::string::npos);
    EXPECT_TRUE(
        eventually([] { return std::system("pgrep -f 'slee[p] 1012' >/dev/null") != 0; }, 20));
}

// The terminal goes away during a recording (an SSH connection dropped, the
// window closed): the recording ends as by the stop key, with its end block.
TEST(TerminalProgram, AHungUpTerminalEndsTheRecordingWithItsEndBlock) {
    TemporaryWorkFolder folder;
    TmuxTerminal terminal(KELVINOR_TERMINAL_DEMO, 80, 24);
    ASSERT_TRUE(terminal.shows({"Kelvinor: DEMO-Info"})) << terminal.screen();
    terminal.keys("Enter");
    answer(terminal, "Eingabe einer Überschrift", "einen Titel für die Messung", "Weg");
    ASSERT_TRUE(terminal.shows({"STATUS: Das Kelvinor ist bereit..."})) << terminal.screen();
    terminal.keys("F4");
    answer(terminal, "Zeitintervall für Datenerfassung", "Format:", "M1");
    answer(terminal, "Logfile-Dateiname", "Eingabe des Logfile-Dateinamens", "weg.KLV");
    ASSERT_TRUE(terminal.shows({"Die Datenaufzeichnung läuft"})) << terminal.screen();
    terminal.hangUp();
    EXPECT_TRUE(eventually(
        [] { return readFile("weg.KLV").ends_with("*** Ende der Datenaufzeichnung ***\r\n"); }, 10))
        << readFile("weg.KLV");
}

}  // namespace
}  // namespace kelvinor
