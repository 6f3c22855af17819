// Whole recordings with the scripted desktop and the fake clock: from the
// start button to the program's end, compared byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "logger/constants/control_ids.h"
#include "logger/system/durable_files.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "logger/text/date_mask.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/expected_texts.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::string hundredths(int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%d,%02d", value < 0 ? "-" : "", std::abs(value) / 100,
                  std::abs(value) % 100);
    return buffer;
}

// The readings of demonstration measurement m (0 = the first), as the row shows them.
std::string demoReadings(int m) {
    return "\t" + hundredths(500 + 50 * (m % 151)) + "\t" + hundredths(3000 + 30 * (m % 168)) +
           "\t" + hundredths(-200 - 10 * (m % 331));
}

// The scan before the main window waits 1000 ms and 9 x 10 ms: the main
// window's first wait comes this long after the program's start.
constexpr std::int64_t kScanMs = 1090;

// A demonstration run from the start button on, in a fresh folder that is also $HOME.
struct DemoRecording {
    TemporaryWorkFolder folder;
    EnvironmentChange home{"HOME", folder.path().string()};
    Scenario scenario;
    ScriptedDesktop& desktop = scenario.desktop;
    std::string logPath = (folder.path() / "messung.KLV").string();

    explicit DemoRecording(ScenarioOptions options = {}) : scenario(options) {
        // So that the recording, after the scan, starts at 23:59:00.
        scenario.clock = FakeClock(2026, 12, 6, 23, 58, 59);
    }

    // The title, the start click at `startAt`, the interval and the file name.
    void start(const std::string& interval = "S5", std::int64_t startAt = 0) {
        desktop.answerPrompt("");
        desktop.clickAt(startAt, startButton);
        desktop.answerPrompt(interval);
        desktop.answerPrompt(logPath);
    }
    // The local time `seconds` after the fake clock's start, through a mask.
    std::string at(std::int64_t seconds, std::string_view mask) {
        FakeClock reference(2026, 12, 6, 23, 59, 0);
        return formatDateMask(mask, reference.toLocal(reference.calendarSeconds() + seconds));
    }
    int rowsInLog() {
        const std::string log = readFile(logPath);
        int rows = 0;
        for (std::size_t at = 0; (at = log.find("\r\n06.12.2026\t", at)) != std::string::npos; ++at)
            ++rows;
        for (std::size_t at = 0; (at = log.find("\r\n07.12.2026\t", at)) != std::string::npos; ++at)
            ++rows;
        return rows;
    }
};

Lines startBlock(const std::string& logName, const std::string& interval, const std::string& date,
                 const std::string& time, const std::string& plus, const std::string& minus,
                 const std::string& columns) {
    return {"",
            "Log-Datei:\t" + logName,
            "Log-Intervall:\t" + interval + " (S=Sekunden, M=Minuten, H=Stunden, T=Tage)",
            "",
            "*** Start der Datenaufzeichnung ***",
            "",
            "Start-Datum:\t" + date,
            "Start-Uhrzeit:\t" + time,
            "",
            plus,
            minus,
            "",
            columns};
}

Lines endBlock(const std::string& date, const std::string& time) {
    return {"", "Ende-Datum:\t" + date, "Ende-Uhrzeit:\t" + time, "",
            "*** Ende der Datenaufzeichnung ***"};
}

const std::string kDefaultPlus = "Alarm-'+' bei\tTemperatur\t>126,00\t>126,00\t>126,00\t";
const std::string kDefaultMinus = "Alarm-'-' bei\tTemperatur\t<-56,00\t<-56,00\t<-56,00\t";
const std::string kDemoColumns = "Log-Datum\tLog-Uhrzeit\tS1\tS2\tS3";

TEST(Recording, DemonstrationOverEveryWrapOfTheSimulatedSensors) {
    DemoRecording r;
    const int cycles = 340;
    r.start();
    r.desktop.clickAt(kScanMs + 2000LL * (cycles - 1) + 1000, stopButton);
    r.desktop.answerMessage(kAnswerNo);
    EXPECT_EQ(r.scenario.runStartUp(1), 0);

    HeaderExpectation fileHeader;
    fileHeader.logFile = true;
    Lines file = headerBlockLines(fileHeader);
    Lines book = headerBlockLines({});
    const Lines start = startBlock(r.logPath, "S5", "06.12.2026", "23:59:00", kDefaultPlus,
                                   kDefaultMinus, kDemoColumns);
    file.insert(file.end(), start.begin(), start.end());
    book.insert(book.end(), start.begin(), start.end());
    for (int m = 0; m < cycles; ++m) {
        const std::int64_t s = 2 * m;  // rows follow every 5000 - 3 x 1000 ms
        file.push_back(r.at(s, kDateMask) + "\t" + r.at(s, kTimeMask) + demoReadings(m) + "\t");
        book.push_back(r.at(s, kDateMask) + "\t" + r.at(s, "%hh:%ii:%ss  ") + demoReadings(m) +
                       "\t");
    }
    const Lines end = endBlock("07.12.2026", "00:10:19");
    file.insert(file.end(), end.begin(), end.end());
    book.insert(book.end(), end.begin(), end.end());

    EXPECT_EQ(readFile(r.logPath), crlfText(file));
    EXPECT_EQ(readFile("LastLogFile.dat"), readFile(r.logPath));
    EXPECT_EQ(r.desktop.at(logbook).logbook, book);
    // Spot checks written out by hand: the first row, the wraps, midnight.
    EXPECT_EQ(file[31 + 3], "06.12.2026\t23:59:00\t5,00\t30,00\t-2,00\t");
    EXPECT_EQ(file[31 + 3 + 151], "07.12.2026\t00:04:02\t5,00\t75,30\t-17,10\t");
    EXPECT_EQ(file[31 + 3 + 331], "07.12.2026\t00:10:02\t19,50\t78,90\t-2,00\t");

    const auto& prompts = r.desktop.prompts;
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[1].title, "Kelvinor: Zeitintervall für Datenerfassung"_cp);
    EXPECT_EQ(prompts[1].message, "Format: [Ex,x] (S=Sek., M=Minuten, H=Stunden, T=Tage)");
    EXPECT_EQ(prompts[1].preset, "S5");
    EXPECT_EQ(prompts[2].title, "Kelvinor: Logfile-Dateiname");
    EXPECT_EQ(prompts[2].message, "Eingabe des Logfile-Dateinamens:");
#ifdef _WIN32
    // The user's Documents folder: a user may not create files in the root of C:.
    EXPECT_TRUE(prompts[2].preset.ends_with("\\Documents\\KELVINOR-20261206-235900.KLV"))
        << prompts[2].preset;
#else
    EXPECT_EQ(prompts[2].preset, r.folder.path().string() + "/KELVINOR-20261206-235900.KLV");
#endif
    const Message& question = r.desktop.messages.back();
    EXPECT_EQ(question.title, "Kelvinor: Log-Datei sofort öffnen?"_cp);
    EXPECT_EQ(question.text,
              "Möchten Sie die Datei "_cp + r.logPath + " mit verknüpfter Anwendung öffnen?"_cp);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);

    const ScriptedDesktop& d = r.desktop;
    EXPECT_EQ(d.at(statusLine).text, "STATUS: Die Datenaufzeichnung wurde beendet...");
    EXPECT_EQ(d.at(statusLine).textColour, kBlack);
    EXPECT_EQ(d.at(statusLine).backgroundColour, kLightGrey);
    EXPECT_EQ(d.at(intervalLine).text,
              "> Die Datenaufzeichnung erfolgt in Abständen von ungefähr 5 Sekunde(n)  =  0 "
              "Minute(n)  =  0 Stunde(n)  =  0 Tag(e) <"_cp);
    EXPECT_EQ(d.at(lastRecordLine).text,
              "Die letzte Aufzeichnung war am: Montag den 07.12.2026 um 00:10:18");
    EXPECT_EQ(d.at(nextRecordLine).text,
              "Die nächste Aufzeichnung ist am: Montag den 07.12.2026 um 00:10:23"_cp);
    EXPECT_EQ(d.at(lastRecordLine).textColour, kBlue);
    EXPECT_EQ(d.at(nextRecordLine).textColour, kRed);
    for (int id = renameButton; id <= clockToggle + 1; ++id)
        EXPECT_EQ(d.at(id).enabled, id == stopButton) << id;
}

TEST(Recording, RowSpacingIncludesTheCuePauses) {
    DemoRecording r(ScenarioOptions{.soundAvailable = true});
    r.start();
    r.desktop.clickAt(kScanMs + 7000, stopButton);  // while waiting for the third cycle
    r.desktop.answerMessage(kAnswerYes);
#ifdef _WIN32
    // Windows opens the log with the program its type is associated with:
    // here a command that notes the file it was given.
    const std::string opened = (r.folder.path() / "opened.txt").string();
    const std::string command = "cmd.exe /c echo %1> \"" + opened + "\"";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".KLV", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("KelvinorTestLog"), 16);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "KelvinorTestLog\\shell\\open\\command", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(r.scenario.runStartUp(1), 0);
#else
    fs::create_directory("bin");
    writeFile("bin/xdg-open",
              "#!/bin/sh\necho \"$1\" > \"" + (r.folder.path() / "opened.txt").string() + "\"\n");
    fs::permissions("bin/xdg-open", fs::perms::owner_all);
    {
        EnvironmentChange path("PATH", r.folder.path().string() + "/bin:" + std::getenv("PATH"));
        EXPECT_EQ(r.scenario.runStartUp(1), 0);
    }
#endif

    // Notice and title; start, interval and file name; every cycle; the stop and the answer.
    std::vector<std::int64_t> times;
    for (const auto& played : r.scenario.sound.played) times.push_back(played.atMs - kScanMs);
    EXPECT_EQ(r.scenario.sound.cues(), std::vector<int>(9, 0));
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 500, 1000, 1500, 2000, 2500, 5000, 7000, 8000}));
    // The question comes after the end block and the 500 ms pause; Yes opens the log file.
    EXPECT_EQ(r.desktop.messageTimes.back() - kScanMs, 8000);
    // The opener writes the name and the line end apart: wait for the line's end.
    for (int i = 0; i < 1000 && !readFile("opened.txt").ends_with("\n"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string openedFile = readFile("opened.txt");
    std::erase(openedFile, '\r');  // cmd's echo ends its line with CR LF
    std::erase(openedFile, '"');
    EXPECT_EQ(openedFile, r.logPath + "\n");
    EXPECT_EQ(r.rowsInLog(), 2);
}

TEST(Recording, StopRequestsAreTakenAtTheNextPassAndWinOverADueCycle) {
    struct Case {
        std::int64_t stopAt;  // fake ms after the start click
        bool close;           // the window's close box instead of the stop button
        int rows;
    };
    const Case cases[] = {
        {1, false, 1},    {1999, false, 1},
        {2000, false, 1},  // due in the same pass: the stop wins
        {2001, false, 2}, {4000, true, 2},
        {4001, true, 3},
    };
    for (const Case& c : cases) {
        DemoRecording r;
        r.start();
        if (c.close)
            r.desktop.closeAt(kScanMs + c.stopAt);
        else
            r.desktop.clickAt(kScanMs + c.stopAt, stopButton);
        r.desktop.answerMessage(kAnswerNo);
        EXPECT_EQ(r.scenario.runStartUp(1), 0);
        EXPECT_EQ(r.rowsInLog(), c.rows) << c.stopAt;
        EXPECT_TRUE(readFile(r.logPath).ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
        EXPECT_EQ(readFile("LastLogFile.dat"), readFile(r.logPath));
    }
}

TEST(Recording, TheLongestIntervalsNeverMakeCyclesDueAtOnce) {
    for (const std::string interval : {"S9223372036854770", "T106751991", "H2562047788015"}) {
        DemoRecording r;
        r.start(interval);
        r.desktop.clickAt(kScanMs + 600'000, stopButton);
        r.desktop.answerMessage(kAnswerNo);
        EXPECT_EQ(r.scenario.runStartUp(1), 0);
        EXPECT_EQ(r.rowsInLog(), 1) << interval;
    }
}

TEST(Recording, AStopClickDuringACycleWaitsForItsRowAndSave) {
    DemoRecording r(ScenarioOptions{.soundAvailable = true});
    r.start();
    // The second cycle's click plays from 5000 to 5500 ms; the stop comes in between.
    r.desktop.clickAt(kScanMs + 5200, stopButton);
    r.desktop.answerMessage(kAnswerNo);
    r.scenario.runStartUp(1);
    EXPECT_EQ(r.rowsInLog(), 2);
    EXPECT_EQ(r.scenario.sound.played.at(7).atMs - kScanMs,
              5500);  // the stop's click: after the cycle
}

TEST(Recording, AlarmEntriesInTheirOrderAndTheAlarmCue) {
    DemoRecording r(ScenarioOptions{.soundAvailable = true});
    r.desktop.answerPrompt("");
    r.desktop.clickAt(0, thresholdsButton);
    for (const char* answer : {"50", "-56", "30", "-56", "126", "-3"})
        r.desktop.answerPrompt(answer);
    r.desktop.clickAt(0, startButton);
    r.desktop.answerPrompt("S5");
    r.desktop.answerPrompt(r.logPath);
    const int cycles = 120;
    r.desktop.clickAt(kScanMs + 2500LL * cycles + 4500,
                      stopButton);  // cycles from 6000 ms, 2500 apart
    r.desktop.answerMessage(kAnswerNo);
    r.scenario.runStartUp(1);

    const std::string log = readFile(r.logPath);
    const std::string marker = "Log-Datum\tLog-Uhrzeit\tS1\tS2\tS3\r\n";
    std::size_t at = log.find(marker) + marker.size();
    std::vector<int> cycleCues;
    const auto& played = r.scenario.sound.played;
    // Notice and title, the thresholds command, start, interval, file name; at the end stop and
    // answer.
    for (std::size_t i = 2 + 7 + 3; i < played.size() - 2; ++i) cycleCues.push_back(played[i].cue);
    ASSERT_EQ(cycleCues.size(), static_cast<std::size_t>(cycles));
    for (int m = 0; m < cycles; ++m) {
        std::string alarms;
        if (3000 + 30 * (m % 168) > 3000) alarms += "'+' an Sensor Nr. 2/'S2'\t";
        if (-200 - 10 * (m % 331) < -300) alarms += "'-' an Sensor Nr. 3/'S3'\t";
        if (500 + 50 * (m % 151) > 5000) alarms = "'+' an Sensor Nr. 1/'S1'\t" + alarms;
        const std::size_t lineEnd = log.find("\r\n", at);
        const std::string row = log.substr(at, lineEnd - at);
        at = lineEnd + 2;
        EXPECT_TRUE(row.ends_with(demoReadings(m) + "\t" + alarms)) << m << ": " << row;
        EXPECT_EQ(cycleCues[m], alarms.empty() ? 0 : 2) << m;
    }
}

// The live edition: a data-line batch that delivers one prepared line per run.
void writeSequencedDataLineBatch(const Lines& lines) {
#ifdef _WIN32
    // Each run's line waits in a file of its own; a run past the last line
    // leaves an empty data line, as sed does.
    for (std::size_t k = 0; k < lines.size(); ++k)
        writeFile("line" + std::to_string(k + 1) + ".txt", lines[k]);
    writeFile("DATALINE.BAT",
              "@echo off\r\nset n=0\r\nif exist run.count set /p n=<run.count\r\n"
              "set /a n=n+1\r\n>run.count echo %n%\r\n"
              "if exist line%n%.txt (copy /y /b line%n%.txt DATALINE.TXT >nul) "
              "else (type nul > DATALINE.TXT)\r\n");
#else
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    writeFile("lines.txt", all);
    writeFile("DATALINE.BAT",
              "n=$(( $(cat run.count 2>/dev/null || echo 0) + 1 ))\necho $n > run.count\n"
              "sed -n \"${n}p\" lines.txt | tr -d '\\n' > DATALINE.TXT\n");
#endif
}

TEST(Recording, LiveEditionWithShortEmptyAndFaultLines) {
    DemoRecording r;
    writeScanBatches(
        {{2, answerFileWith({"10A8B16B01080011 : DS1820", "10B7C34F00080012 : DS1820"})}});
    writeFile("kelvinor.ini", "READ_TIME 0500\n");
    writeSequencedDataLineBatch(
        {"0\t21.50\t85.00", "0\t21.5", "", "0\t85\t-60.5", "0\t85,00\t 85.00"});
    // The found window of COM2 stands for 2 s more before the main window.
    r.scenario.clock = FakeClock(2026, 12, 6, 23, 58, 57);
    r.start("s4");
    r.desktop.clickAt(kScanMs + 2000 + 4 * 3000 + 500,
                      stopButton);  // 5 rows, 4000 - 2 x 500 ms apart
    r.desktop.answerMessage(kAnswerNo);
    EXPECT_EQ(r.scenario.runStartUp(0), 0);
    const std::string fault1 = "FEHLMESSUNG? (Sensor Nr. 1/ID 10A8B16B01080011/'S1')\t";
    const std::string fault2 = "FEHLMESSUNG? (Sensor Nr. 2/ID 10B7C34F00080012/'S2')\t";
    const Lines expected = {
        "06.12.2026\t23:59:00\t21,50\t85,00\t" + fault2,
        // A missing reading is a fault, not 0 °C.
        "06.12.2026\t23:59:03\t21,5\t" + fault2,
        "06.12.2026\t23:59:06\t" + fault1 + fault2,
        "06.12.2026\t23:59:09\t85\t-60,5\t" + fault1 + "'-' an Sensor Nr. 2/'S2'\t",
        "06.12.2026\t23:59:12\t85,00\t 85,00\t" + fault1,
    };
    const std::string log = readFile(r.logPath);
    const std::string marker = "Log-Datum\tLog-Uhrzeit\tS1\tS2\r\n";
    ASSERT_NE(log.find(marker), std::string::npos);
    EXPECT_EQ(log.substr(log.find(marker) + marker.size(), crlfText(expected).size()),
              crlfText(expected));
    EXPECT_NE(log.find("Log-Intervall:\tS4 (S=Sekunden"), std::string::npos);
    EXPECT_NE(log.find("\r\nSensor Nr. 2 alias 'S2' mit der ID 10B7C34F00080012 ist ein "
                       "Temperatursensor vom Typ DS1820\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("An Schnittstelle 'COM2' wurden 2 St\xFC"
                       "ck"),
              std::string::npos);
}

TEST(Recording, UnwritableLogFilesNeverStopTheRecording) {
    std::vector<std::string> cases = {"", "missing/folder/log.KLV", "a-folder", "a-file/log.KLV"};
#ifndef _WIN32
    // A file of the kernel, a device and a pipe: the POSIX kinds of not-a-file.
    cases.insert(cases.end(), {"/proc/version", "/dev/null", "a-fifo"});
#else
    // Windows' devices by their reserved names.
    cases.insert(cases.end(), {"NUL", "COM1", "CON"});
#endif
    for (const std::string& name : cases) {
        DemoRecording r;
        fs::create_directory("a-folder");
#ifndef _WIN32
        mkfifo("a-fifo", 0644);
#endif
        writeFile("a-file", "x");
        r.logPath = name;
        r.start();
        r.desktop.clickAt(kScanMs + 4500, stopButton);
        r.desktop.answerMessage(kAnswerNo);
        EXPECT_EQ(r.scenario.runStartUp(1), 0) << name;
        const Lines& book = r.desktop.at(logbook).logbook;
        ASSERT_GE(book.size(), 5u);
        EXPECT_EQ(book.back(), "*** Ende der Datenaufzeichnung ***") << name;
        EXPECT_EQ(book[book.size() - 6].substr(0, 20), "06.12.2026\t23:59:04 ")
            << name;  // three rows
        EXPECT_EQ(fileSize("LastLogFile.dat"), -1) << name;
        EXPECT_EQ(readFile("a-file"), "x");
#ifndef _WIN32
        EXPECT_TRUE(fs::is_fifo("a-fifo"));
#endif
    }
}

TEST(Recording, AnExistingLogFileIsContinuedAfterItsEnd) {
    struct Case {
        std::string earlier;
        std::string between;  // what the program puts before its header
    };
    const std::string older = "EARLIER RECORDING\r\n" + std::string(5000, 'x');
    const Case cases[] = {
        {older + "\r\n", ""},
        {older + "\n", ""},
        {older + "\r", ""},
        {older, "\r\n"},  // the last line has no line end: the header starts a line of its own
        {"", ""},
    };
    for (const Case& c : cases) {
        DemoRecording r;
        writeFile(r.logPath, c.earlier);
        r.start();
        r.desktop.clickAt(kScanMs + 500, stopButton);
        r.desktop.answerMessage(kAnswerNo);
        r.scenario.runStartUp(1);
        const std::string log = readFile(r.logPath);
        EXPECT_TRUE(log.starts_with(c.earlier + c.between)) << c.earlier.size();
        EXPECT_EQ(log.substr(c.earlier.size() + c.between.size(), 47),
                  "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r")
            << c.earlier.size();
        EXPECT_EQ(readFile("LastLogFile.dat"), log);
    }
}

TEST(Recording, TheCopyFollowsChangesBehindTheProgramsBack) {
    DemoRecording r;
    r.start();
    std::vector<bool> equalAfterRow;
    for (int m = 0; m < 6; ++m)  // right after each row's save
        r.desktop.doAt(kScanMs + 2000LL * m + 1, [&] {
            equalAfterRow.push_back(readFile("LastLogFile.dat") == readFile(r.logPath));
        });
    r.desktop.doAt(kScanMs + 1000, [] { writeFile("LastLogFile.dat", "overwritten"); });
    r.desktop.doAt(kScanMs + 3000, [&] {
        std::ofstream(r.logPath, std::ios::app | std::ios::binary) << "NOTE\r\n";
    });
    r.desktop.doAt(kScanMs + 5000, [] {
        fs::remove("LastLogFile.dat");
        fs::create_directory("LastLogFile.dat");  // cannot be written: the recording goes on
    });
    r.desktop.doAt(kScanMs + 7000, [] { fs::remove("LastLogFile.dat"); });
    r.desktop.clickAt(kScanMs + 10500, stopButton);
    r.desktop.answerMessage(kAnswerNo);
    r.scenario.runStartUp(1);
    EXPECT_EQ(equalAfterRow, (std::vector<bool>{true, true, true, false, true, true}));
    EXPECT_NE(readFile(r.logPath).find("NOTE\r\n06.12.2026\t23:59:04"), std::string::npos);
    EXPECT_EQ(readFile("LastLogFile.dat"), readFile(r.logPath));
    EXPECT_EQ(r.rowsInLog(), 6);
}

TEST(Recording, ALogTruncatedReplacedOrDeletedBehindTheProgramsBackLosesNoRow) {
    struct Case {
        std::string name;
        std::function<void(const std::string& log)> touch;
        std::string logbookEntry;
        std::size_t firstKept = 0;  // the first of the written rows that both files keep
    };
    const auto replaceWith = [](const std::string& log, const std::string& bytes) {
        writeFile(log + ".neu", bytes);  // saved aside, then renamed over the log
        fs::rename(log + ".neu", log);
    };
    const std::string restored = " Sie wurde aus 'LastLogFile.dat' wiederhergestellt ***";
    const Case cases[] = {
        {"truncated", [](const std::string& log) { std::ofstream(log, std::ios::trunc); },
         "*** Die Log-Datei wurde von einem anderen Programm gekürzt." + restored},
        {"replaced", [&](const std::string& log) { replaceWith(log, "fremde Datei\r\n"); },
         "*** Die Log-Datei wurde von einem anderen Programm ersetzt." + restored},
        {"deleted", [](const std::string& log) { fs::remove(log); },
         "*** Die Log-Datei wurde von einem anderen Programm gelöscht." + restored},
        {"saved by a spreadsheet",
         [&](const std::string& log) {
             std::string text = readFile(log);
             std::replace(text.begin(), text.end(), '\t', ';');
             replaceWith(log, text);
         },
         "*** Die Log-Datei wurde von einem anderen Programm ersetzt." + restored},
        // Nothing to restore from: the rows that come go on under a header of their own.
        {"deleted with its copy",
         [](const std::string& log) {
             fs::remove(log);
             fs::remove("LastLogFile.dat");
         },
         "*** Die Log-Datei wurde von einem anderen Programm gelöscht. Sie wird mit neuem Kopf "
         "fortgesetzt ***",
         3},
    };
    for (const Case& c : cases) {
        DemoRecording r;
        r.start();
        std::vector<std::string> written;  // every row as the program wrote it
        for (int m = 0; m < 6; ++m)
            r.desktop.doAt(kScanMs + 2000LL * m + 1, [&] {
                const std::vector<std::string> rows = logRows(readFile(r.logPath));
                if (!rows.empty()) written.push_back(rows.back());
            });
        r.desktop.doAt(kScanMs + 4500, [&] { c.touch(r.logPath); });
        r.desktop.clickAt(kScanMs + 10500, stopButton);
        r.desktop.answerMessage(kAnswerNo);
        r.scenario.runStartUp(1);
        const std::string log = readFile(r.logPath);
        EXPECT_EQ(written.size(), 6u) << c.name;
        EXPECT_EQ(
            logRows(log),
            std::vector(written.begin() + static_cast<long>(std::min(c.firstKept, written.size())),
                        written.end()))
            << c.name;
        EXPECT_EQ(readFile("LastLogFile.dat"), log) << c.name;
        EXPECT_TRUE(log.starts_with("# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n"))
            << c.name;
        const Lines& book = r.desktop.at(logbook).logbook;
        EXPECT_EQ(std::count(book.begin(), book.end(), utf8ToCp1252(c.logbookEntry)), 1) << c.name;
    }
}

#ifndef _WIN32  // a small disk of its own: tmpfs in a user and mount namespace
// These run on a small tmpfs of their own (see tests/CMakeLists.txt), whose
// folder KELVINOR_SMALL_DISK names.
std::string smallDisk() {
    const char* folder = std::getenv("KELVINOR_SMALL_DISK");
    return folder != nullptr ? folder : "";
}

// Fills the disk of `folder` to its last page with one file.
void fillDisk(const std::string& folder) {
    const int fd = open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ASSERT_GE(fd, 0);
    const std::string page(4096, 'F');
    while (write(fd, page.data(), page.size()) > 0) {
    }
    while (write(fd, "F", 1) > 0) {
    }
    close(fd);
}

TEST(FullDisk, AFailedAppendLeavesTheFileAsItWas) {
    ASSERT_FALSE(smallDisk().empty()) << "run through its CTest entry";
    const std::string log = smallDisk() + "/append.log";
    const std::string copy = smallDisk() + "/append.copy";
    writeFile(log, "first line\r\n");
    writeFile(copy, "first line\r\n");
    fillDisk(smallDisk());
    EXPECT_FALSE(appendDurably(log, std::string(10'000, 'x') + "\r\n"));
    EXPECT_EQ(readFile(log), "first line\r\n");
    fs::remove(smallDisk() + "/filler");
    writeFile(smallDisk() + "/source", std::string(20'000, 's'));
    fillDisk(smallDisk());
    EXPECT_FALSE(appendTail(smallDisk() + "/source", 0, copy));
    EXPECT_EQ(readFile(copy), "first line\r\n");
    fs::remove(smallDisk() + "/filler");
    EXPECT_TRUE(appendDurably(log, "second line\r\n"));
    EXPECT_EQ(readFile(log), "first line\r\nsecond line\r\n");
    for (const char* name : {"/append.log", "/append.copy", "/source"})
        fs::remove(smallDisk() + name);
}

TEST(FullDisk, ARecordingNeverGluesRowsTogether) {
    ASSERT_FALSE(smallDisk().empty()) << "run through its CTest entry";
    EnvironmentChange temporaryFolder("TMPDIR", smallDisk());
    DemoRecording r;
    r.start("S2");
    // Full from the third row to the 160th: each file's last page fills up on
    // the way, so some row is cut short by the full disk.
    r.desktop.doAt(kScanMs + 4001, [&] { fillDisk(smallDisk()); });
    r.desktop.doAt(kScanMs + 320'001, [&] { fs::remove(smallDisk() + "/filler"); });
    r.desktop.clickAt(kScanMs + 326'500, stopButton);
    r.desktop.answerMessage(kAnswerNo);
    EXPECT_EQ(r.scenario.runStartUp(1), 0);

    const std::string log = readFile(r.logPath);
    ASSERT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
    int rows = 0;
    for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = log.substr(start, end - start);
        ASSERT_TRUE(line.ends_with('\r')) << "line " << rows << ": " << line;
        if (line.starts_with("06.12.2026\t") || line.starts_with("07.12.2026\t")) {
            ++rows;
            // Date, time, three readings and the (empty) alarm field: one row each.
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
        }
    }
    const int shown = static_cast<int>(std::count_if(
        r.desktop.at(logbook).logbook.begin(), r.desktop.at(logbook).logbook.end(),
        [](const std::string& line) { return line.starts_with("0") && line[2] == '.'; }));
    EXPECT_EQ(shown, 164);  // the logbook has every row
    EXPECT_GT(rows, 4);     // rows before and after the full disk
    EXPECT_LT(rows, 100);   // the disk was full for long
    EXPECT_EQ(readFile("LastLogFile.dat"), log);
}

// A disk full when the recording starts: the header waits and lands with
// the first row that does, for a new and for a continued log (one whose last
// page is full), so the log is that of a recording that had room all along
// but for the rows that found the disk full.
TEST(FullDisk, AHeaderThatFailedComesBeforeTheFirstRowThatLands) {
    ASSERT_FALSE(smallDisk().empty()) << "run through its CTest entry";
    EnvironmentChange temporaryFolder("TMPDIR", smallDisk());
    for (const std::string& earlier : {std::string(), std::string(4094, 'x') + "\r\n"}) {
        const auto record = [&](bool full) {
            DemoRecording r;
            writeFile(r.logPath, earlier);
            if (full) r.desktop.doAt(0, [&] { fillDisk(smallDisk()); });
            r.start("S2");
            if (full) r.desktop.doAt(kScanMs + 3001, [&] { fs::remove(smallDisk() + "/filler"); });
            r.desktop.clickAt(kScanMs + 8500, stopButton);
            r.desktop.answerMessage(kAnswerNo);
            EXPECT_EQ(r.scenario.runStartUp(1), 0);
            std::string log = readFile(r.logPath);
            EXPECT_EQ(readFile("LastLogFile.dat"), log);
            const std::size_t folder = log.find(r.folder.path().string());
            if (folder != std::string::npos)
                log.replace(folder, r.folder.path().string().size(), "FOLDER");
            return log;
        };
        std::string expected = record(false);
        // The rows at 0 and 2 s find the disk full.
        for (const char* row : {"06.12.2026\t23:59:00\t", "06.12.2026\t23:59:02\t"}) {
            const std::size_t at = expected.find(row);
            ASSERT_NE(at, std::string::npos);
            expected.erase(at, expected.find('\n', at) + 1 - at);
        }
        EXPECT_EQ(record(true), expected) << earlier.size();
    }
}

#endif

}  // namespace
}  // namespace kelvinor
