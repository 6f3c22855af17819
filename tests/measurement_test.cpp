#include "logger/features/bus/measurement.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "logger/constants/control_ids.h"
#include "logger/features/bus/data_line.h"
#include "logger/features/bus/sensor_buses.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
using namespace std::string_literals;
using Values = std::vector<std::string>;

void prepare(ProgramState& state, int demoMode, int sensors) {
    state.demoMode = demoMode;
    state.soundEnabled = 1;
    state.commandInterpreter = "command";
    state.dataLineCommand = "/cDATALINE.BAT";
    chooseSensorBus(state);
    for (int k = 1; k <= sensors; ++k)
        state.sensors.push_back(Sensor{demoMode ? "DemoSensor " + std::to_string(k)
                                                : "10A8B16B010800" + std::to_string(10 + k),
                                       "S" + std::to_string(k)});
}

Values deliveredTexts(const SensorReadings& readings) {
    Values texts;
    for (const Reading& reading : readings.readings) texts.push_back(reading.asDelivered);
    return texts;
}

TEST(Measurement, SplitsTheDataLineIntoReadings) {
    constexpr auto none = std::nullopt;
    struct Case {
        std::string line;
        int sensors;
        Values texts;
        std::vector<std::optional<double>> celsius;
        std::vector<Fault> faults;
    };
    const Fault ok = Fault::None, code = Fault::SensorCode, no = Fault::NoReading;
    const Case cases[] = {
        {"0\t21.50\t85.00", 2, {"21.50", "85.00"}, {21.5, 85.0}, {ok, code}},
        {"0\t0.00\t85\t85,00", 3, {"0.00", "85", "85,00"}, {0.0, 85.0, 85.0}, {ok, code, code}},
        // Only the exact codes are the fault: 85.0 and a blank before it are values.
        {"0\t85.0\t 85.00\t85.001",
         3,
         {"85.0", " 85.00", "85.001"},
         {85.0, 85.0, 85.001},
         {ok, ok, ok}},
        // A comma ends the number.
        {"0\t21,50", 1, {"21,50"}, {21.0}, {ok}},
        {"", 2, {"", ""}, {none, none}, {no, no}},
        {"0\t1", 3, {"1", "", ""}, {1.0, none, none}, {ok, no, no}},
        {"0\t1\t2\t3\t4", 2, {"1", "2"}, {1.0, 2.0}, {ok, ok}},
        {"\t\t", 3, {"", "", ""}, {none, none, none}, {no, no, no}},
        {"1700000000\t-0.06\t", 2, {"-0.06", ""}, {-0.06, none}, {ok, no}},
        {"0\tabc\t-", 2, {"abc", "-"}, {none, none}, {no, no}},
        {"x", 0, {}, {}, {}},
    };
    for (const Case& c : cases) {
        const SensorReadings readings = splitDataLine(c.line, c.sensors);
        EXPECT_EQ(readings.line, c.line);
        EXPECT_EQ(deliveredTexts(readings), c.texts) << c.line;
        ASSERT_EQ(readings.readings.size(), c.faults.size()) << c.line;
        for (std::size_t i = 0; i < c.faults.size(); ++i) {
            EXPECT_EQ(readings.readings[i].celsius, c.celsius[i]) << c.line << " " << i;
            EXPECT_EQ(readings.readings[i].fault, c.faults[i]) << c.line << " " << i;
        }
    }
}

TEST(Measurement, ReadsTheFirstLineOfTheDataFile) {
    struct Case {
        std::string file;
        std::string line;
    };
    const Case cases[] = {
        {"0\t21.50\t85.00\r\n", "0\t21.50\t85.00"},
        {"0\t1.00\n0\t2.00\n", "0\t1.00"},
        {"0\t1.00\r0\t2.00", "0\t1.00"},
        {"0\t1.00", "0\t1.00"},
        {"0\t1.0\0"
         "0\t2.00\n"s,
         "0\t1.0"},
        {"", ""},
        {"\xB0\xFF\t5", "\xB0\xFF\t5"},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        writeDataLineBatch(c.file);
        Scenario scenario;
        prepare(scenario.state, 0, 2);
        ASSERT_TRUE(readAllSensors(scenario.state, scenario.host));
        EXPECT_EQ(scenario.state.lastReadings.line, c.line);
        EXPECT_EQ(readNotes("dataline.log"), "run\n");
    }
}

TEST(Measurement, MissingOrStaleDataFile) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    prepare(scenario.state, 0, 2);
    scenario.state.lastReadings.line = "previous";
    readAllSensors(scenario.state, scenario.host);  // no batch, no file
    EXPECT_EQ(scenario.state.lastReadings.line, "");
    writeFile("DATALINE.TXT", "0\t9.00\t8.00\n");  // left from an earlier run
    readAllSensors(scenario.state, scenario.host);
    EXPECT_EQ(scenario.state.lastReadings.line, "0\t9.00\t8.00");
    std::filesystem::remove("DATALINE.TXT");
    std::filesystem::create_directory("DATALINE.TXT");
    readAllSensors(scenario.state, scenario.host);
    EXPECT_EQ(scenario.state.lastReadings.line, "");
    EXPECT_EQ(scenario.state.lastReadings.readings.size(), 2u);
}

#ifndef _WIN32  // a shell batch; the Windows batches' own test is WindowsBus's
TEST(Measurement, ABatchThatRunsOutOfTimeGivesTheFaultCodeForTheSensorsNotRead) {
    // As the Windows batch leaves it: the line so far after every sensor; the
    // second sensor's DigiTemp never ends.
    TemporaryWorkFolder folder;
    writeFile("DATALINE.BAT", "printf '0\\t-3.25\\n' > DATALINE.PART\nexec sleep 1013\n");
    Scenario scenario;
    prepare(scenario.state, 0, 3);
    scenario.state.bus->prepareTool({"READ_TIME 100", 100});  // as start-up gives it
    ASSERT_TRUE(readAllSensors(scenario.state, scenario.host));
    EXPECT_EQ(scenario.state.lastReadings.line, "0\t-3.25\t85.00\t85.00");
    EXPECT_TRUE(scenario.state.lastReadings.readings[2].isFault());
    // 3 x (3 x 100 + 1000 + 1000 kill grace) + 2000 ms
    EXPECT_NE(readFile("DIGITEMP.LOG")
                  .find("DATALINE:\n  no end within 8.9 s: 85.00 for sensor 2 to 3\n"),
              std::string::npos)
        << readFile("DIGITEMP.LOG");
    EXPECT_TRUE(eventually([] { return std::system("pgrep -f 'slee[p] 1013' >/dev/null") != 0; }));
}
#endif

// The expected demonstration text of a value given in hundredths.
std::string hundredths(int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%d.%02d", value < 0 ? "-" : "", std::abs(value) / 100,
                  std::abs(value) % 100);
    return buffer;
}

TEST(Measurement, DemonstrationSensorsStepThroughTheirWholeCycles) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    prepare(scenario.state, 1, 3);
    for (int m = 0; m < 2 * 331 + 5; ++m) {
        readAllSensors(scenario.state, scenario.host);
        const Values expected = {hundredths(500 + 50 * (m % 151)),
                                 hundredths(3000 + 30 * (m % 168)),
                                 hundredths(-200 - 10 * (m % 331))};
        ASSERT_EQ(deliveredTexts(scenario.state.lastReadings), expected) << "measurement " << m;
        if (m == 0) {
            EXPECT_EQ(scenario.state.lastReadings.line, "0\t5.00\t30.00\t-2.00");
        }
    }
    EXPECT_FALSE(std::filesystem::exists("dataline.log"));  // no batch in the demonstration
}

void addButtons(Scenario& scenario) {
    scenario.desktop.openWindow({mainWindow, "main", 800, 650, true});
    for (int id = renameButton; id <= infoButton; ++id)
        scenario.desktop.createControl({id, mainWindow, ControlKind::PushButton, 0, 0, 1, 1, ""});
    scenario.desktop.createControl(
        {statusLine, mainWindow, ControlKind::ReadOnlyTextField, 0, 0, 1, 1, ""});
    scenario.desktop.setEnabled(stopButton, false);
}

const std::string kQueryTitle =
    "Kelvinor: Ergebnis der Sensor-Sofort-Abfrage" + std::string(30, ' ');

TEST(InstantQuery, DemonstrationShowsTheCurrentValuesWithoutSteppingThem) {
    TemporaryWorkFolder folder;
    Scenario scenario(ScenarioOptions{.soundAvailable = true});
    prepare(scenario.state, 1, 3);
    scenario.state.soundReady = 1;
    addButtons(scenario);
    for (int run = 0; run < 2; ++run) instantQuery(scenario.state, scenario.host);
    ASSERT_EQ(scenario.desktop.messages.size(), 2u);
    const std::string expected =
        "\rLog-Datum: 06.12.2026\rLog-Uhrzeit: 23:31:05\r\r"
        "5,00°C = Sensor Nr. 1/ID DemoSensor 1 = 'S1'\r"
        "30,00°C = Sensor Nr. 2/ID DemoSensor 2 = 'S2'\r"
        "-2,00°C = Sensor Nr. 3/ID DemoSensor 3 = 'S3'\r\r"_cp;
    EXPECT_EQ(scenario.desktop.messages[0].title, kQueryTitle);
    EXPECT_EQ(scenario.desktop.messages[0].text, expected);
    // The second query comes two clicks (1 s) later and shows the same values.
    const std::string& second = scenario.desktop.messages[1].text;
    EXPECT_EQ(second.substr(second.find("\r\r")), expected.substr(expected.find("\r\r")));
    EXPECT_NE(second, expected);  // a second later
    EXPECT_EQ(scenario.sound.cues(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(scenario.desktop.messageTimes[0], 500);  // after the first click
    EXPECT_EQ(scenario.sound.played[1].atMs, 500);     // the click after the message
    EXPECT_EQ(scenario.desktop.at(statusLine).text,
              "STATUS: Die Sensor-Sofort-Abfrage wurde ausgeführt..."_cp);
}

TEST(InstantQuery, ButtonStatesDuringAndAfter) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    prepare(scenario.state, 1, 3);
    addButtons(scenario);
    instantQuery(scenario.state, scenario.host);
    for (int id = renameButton; id <= infoButton; ++id) {
        EXPECT_FALSE(scenario.desktop.messages[0].enabledWhileShown.at(id)) << id;
        EXPECT_EQ(scenario.desktop.at(id).enabled, id != stopButton) << id;
    }
}

TEST(InstantQuery, LiveSensorsShowTheReadTexts) {
    struct Case {
        std::string file;
        std::string lines;
    };
    const Case cases[] = {
        {"0\t21.50\t85.00\r\n",
         "21,50°C = Sensor Nr. 1/ID 10A8B16B01080011 = 'S1'\r"
         "85,00°C = Sensor Nr. 2/ID 10A8B16B01080012 = 'S2'\r"},
        {"",
         "°C = Sensor Nr. 1/ID 10A8B16B01080011 = 'S1'\r°C = Sensor Nr. 2/ID 10A8B16B01080012 = "
         "'S2'\r"},
        {"1\t-0.5",
         "-0,5°C = Sensor Nr. 1/ID 10A8B16B01080011 = 'S1'\r°C = Sensor Nr. 2/ID 10A8B16B01080012 "
         "= 'S2'\r"},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        writeDataLineBatch(c.file);
        Scenario scenario;
        prepare(scenario.state, 0, 2);
        addButtons(scenario);
        instantQuery(scenario.state, scenario.host);
        EXPECT_EQ(
            scenario.desktop.messages.at(0).text,
            "\rLog-Datum: 06.12.2026\rLog-Uhrzeit: 23:31:05\r\r" + utf8ToCp1252(c.lines) + "\r");
        EXPECT_EQ(readNotes("dataline.log"), "run\n");
    }
}

}  // namespace
}  // namespace kelvinor
