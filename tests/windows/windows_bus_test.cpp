// The live edition on Windows: the shipped batch files run by cmd.exe drive
// a stand-in for DigiTemp for Windows that answers from STANDIN.TXT.
#include <gtest/gtest.h>

#include <filesystem>

#include "logger/constants/control_ids.h"
#include "logger/features/bus/measurement.h"
#include "logger/text/cp1252.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The batches and the stand-in, as a user installs them beside Kelvinor.
void installWindowsBus(const std::string& sensors) {
    for (const auto& entry : fs::directory_iterator(WINDOWS_BUS_SCRIPTS))
        fs::copy_file(entry.path(), entry.path().filename());
    fs::copy_file(STAND_IN_EXE, "digitemp_DS9097.exe");
    writeFile("STANDIN.TXT", sensors);
    writeFile("kelvinor.ini", "READ_TIME 250\r\n");
}

const std::string kSensors =
    "COM2 1022334455667788 3.00\n"
    "COM5 10A8B16B0108005D -10.25\n"
    "COM5 104C4D55000800D9 21.50\n"
    "COM5 10B7C34F00080019 85.00\n";

TEST(WindowsBus, ScanFindsSensorsOnComTwoAndComFiveAndTakesTheLastPort) {
    TemporaryWorkFolder folder;
    installWindowsBus(kSensors);
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    // Every port was searched through its batch; the last port with sensors counts.
    const std::string notes = readFile("STANDIN.LOG");
    for (int n = 1; n <= 9; ++n)
        EXPECT_NE(notes.find("search COM" + std::to_string(n) + "\n"), std::string::npos) << n;
    EXPECT_NE(readFile("COM2READ.INI").find("\r\n1022334455667788\r\n"), std::string::npos);
    EXPECT_EQ(scenario.state.sensorPort, 5);
    ASSERT_EQ(scenario.state.sensorCount(), 3);
    EXPECT_EQ(scenario.state.sensors[0].rom, "10A8B16B0108005D");
    EXPECT_EQ(scenario.state.sensors[1].rom, "104C4D55000800D9");
    EXPECT_EQ(scenario.state.sensors[2].rom, "10B7C34F00080019");
    // The settings of COM5 became digitemp.cfg, with the read time patched in.
    const std::string settings = readFile("digitemp.cfg");
    EXPECT_EQ(settings.rfind("TTY COM5", 0), 0u) << settings;
    EXPECT_NE(settings.find("READ_TIME 250"), std::string::npos) << settings;

    instantQuery(scenario.state, scenario.host);
    const std::string& text = scenario.desktop.messages.back().text;
    EXPECT_EQ(text.substr(text.find("\r\r") + 2),
              "-10,25°C = Sensor Nr. 1/ID 10A8B16B0108005D = 'S1'\r"
              "21,50°C = Sensor Nr. 2/ID 104C4D55000800D9 = 'S2'\r"
              "85,00°C = Sensor Nr. 3/ID 10B7C34F00080019 = 'S3'\r\r"_cp);
    EXPECT_NE(readFile("STANDIN.LOG").find("read 2 COM5 READ_TIME 250"), std::string::npos);
}

TEST(WindowsBus, ARecordingMarksTheFaultsOfEveryRow) {
    TemporaryWorkFolder folder;
    installWindowsBus(kSensors);
    const std::string log = (folder.path() / "messung.KLV").string();
    Scenario scenario;
    scenario.desktop.answerPrompt("");
    scenario.desktop.clickAt(0, startButton);
    scenario.desktop.answerPrompt("S5");
    scenario.desktop.answerPrompt(log);
    scenario.desktop.clickAt(1090 + 5000LL * 3, stopButton);  // after three rows or four
    scenario.desktop.answerMessage(kAnswerNo);
    EXPECT_EQ(scenario.runStartUp(0), 0);
    const std::vector<std::string> rows = logRows(readFile(log));
    ASSERT_GE(rows.size(), 3u) << readFile(log);
    for (const std::string& row : rows) {
        EXPECT_NE(row.find("\t-10,25\t21,50\t85,00"), std::string::npos) << row;
    }
    for (const std::string& row : rows)
        EXPECT_NE(row.find("FEHLMESSUNG? (Sensor Nr. 3/ID 10B7C34F00080019"), std::string::npos)
            << row;
    EXPECT_EQ(readFile("LastLogFile.dat"), readFile(log));
    // The faults are in the logbook too, one entry a row.
    int faultsShown = 0;
    for (const std::string& line : scenario.desktop.at(logbook).logbook)
        faultsShown += line.find("FEHLMESSUNG? (Sensor Nr. 3") != std::string::npos;
    EXPECT_EQ(faultsShown, static_cast<int>(rows.size()));
}

TEST(WindowsBus, AHangingDigiTempIsEndedWithItsBatch) {
    // The search of COM4 and the read of the second sensor never end: the
    // program ends each batch at its limit (READ_TIME 250: 2 x 250 + 4000 ms
    // and 3 x (3 x 250 + 1000) ms, each with 2 s for the batch itself).
    TemporaryWorkFolder folder;
    installWindowsBus(
        "COM4 HANG 0\n"
        "COM5 10A8B16B0108005D -10.25\n"
        "COM5 104C4D55000800D9 hang\n"
        "COM5 10B7C34F00080019 21.50\n");
    Scenario scenario;
    scenario.runStartUpAndClose(0);
    EXPECT_EQ(scenario.state.sensorPort, 5);
    EXPECT_FALSE(fs::exists("COM4READ.INI"));
    ASSERT_EQ(scenario.state.sensorCount(), 3);
    ASSERT_TRUE(readAllSensors(scenario.state, scenario.host));
    EXPECT_EQ(scenario.state.lastReadings.line, "0\t-10.25\t85.00\t85.00");
    const std::string busLog = readFile("DIGITEMP.LOG");
    EXPECT_NE(busLog.find("COM4:\n  the search did not end within 6.5 s: no sensors\n"),
              std::string::npos)
        << busLog;
    EXPECT_NE(busLog.find("DATALINE:\n  no end within 7.2 s: 85.00 for sensor 2 to 3\n"),
              std::string::npos)
        << busLog;
}

}  // namespace
}  // namespace kelvinor
