#include "logger/application/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "logger/features/alarm/mail_settings.h"
#include "logger/features/bus/sensor_buses.h"
#include "logger/system/files.h"
#include "logger/system/platform.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::answerFileWith;
using testing::readFile;
using testing::Scenario;
using testing::ScenarioOptions;
using testing::TemporaryWorkFolder;
using testing::writeFile;
using testing::writeScanBatches;

// One sensor on COM2, so that the live edition gets past the scan.
void oneSensorOnCom2(const std::string& toolSettings = "") {
    writeScanBatches({{2, answerFileWith({"10A8B16B0108005D : DS1820"})}}, toolSettings);
}

std::vector<std::string> folderListing() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("."))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StartUp, DemonstrationEditionFillsTheDefaultsAndTouchesNoFile) {
    TemporaryWorkFolder folder;
    writeFile("kelvinor.ini", "READ_TIME 500\r\n");
    writeFile("digitemp.cfg", "TTY /dev/ttyS0\nREAD_TIME 1000\n");
    writeFile("LastLogFile.dat.tmp", "half a copy");  // left by a program that was killed
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(1), 0);
    const ProgramState& s = scenario.state;
    EXPECT_EQ(s.demoMode, 1);
    EXPECT_EQ(s.soundEnabled, 1);
    EXPECT_EQ(s.soundReady, 0);
    EXPECT_EQ(s.clockRunning, 0);
    EXPECT_EQ(s.clockProgramSize, -1);
    EXPECT_EQ(s.mailSettingsSize, -1);
    EXPECT_EQ(s.logFileExtension, ".KLV");
    EXPECT_EQ(s.lastLogFileName, "LastLogFile.dat");
    EXPECT_TRUE(s.logFileName.ends_with("/KELVINOR") || s.logFileName.ends_with("\\KELVINOR") ||
                s.logFileName == "KELVINOR");
    EXPECT_EQ(s.colourGrey, 0xC0C0C0u);
    EXPECT_EQ(s.colourBlue, 0xFF0000u);
    EXPECT_EQ(s.colourRed, 0x0000FFu);
    EXPECT_EQ(s.commandInterpreter, "command");
    ASSERT_EQ(s.portCommand.size(), 11u);
    EXPECT_EQ(s.portCommand[0], "");
    EXPECT_EQ(s.portCommand[1], "/cCOM1READ.BAT");
    EXPECT_EQ(s.portCommand[9], "/cCOM9READ.BAT");
    EXPECT_EQ(s.portCommand[10], "");
    EXPECT_EQ(s.dataLineCommand, "/cDATALINE.BAT");
    EXPECT_EQ(s.lastRecordDate, "--.--.--");
    EXPECT_EQ(s.nextRecordTime, "--:--:--");
    EXPECT_EQ(s.nextRecordWeekday, "-------");
    EXPECT_EQ(s.intervalDaysText, "-");
    EXPECT_EQ(s.readTime.line, "READ_TIME 1000");
    EXPECT_EQ(s.readTime.ms, 1000);
    EXPECT_EQ(s.sensorCount(), 3);
    // The demonstration reads no settings; only the scan deleted the tool's
    // settings, and the start a half-made copy of the log.
    EXPECT_EQ(folderListing(), std::vector<std::string>{"kelvinor.ini"});
    EXPECT_EQ(readFile("kelvinor.ini"), "READ_TIME 500\r\n");
    EXPECT_EQ(s.sensorPort, 1);
}

TEST(StartUp, DemonstrationSensorTable) {
    TemporaryWorkFolder folder;
    ProgramState state;
    state.demoMode = 1;
    chooseSensorBus(state);
    buildSensorTable(state);
    ASSERT_EQ(state.sensorCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        const Sensor& sensor = state.sensors[k - 1];
        EXPECT_EQ(sensor.rom, "DemoSensor " + std::to_string(k));
        EXPECT_FALSE(sensor.isDs1820());
        EXPECT_EQ(sensor.alias, "S" + std::to_string(k));
        EXPECT_EQ(sensor.coldBelow, -56.0);
        EXPECT_EQ(sensor.warmAbove, 126.0);
    }
    EXPECT_TRUE(folderListing().empty());
}

struct ReadTimeCase {
    std::string content;  // nullopt-like: "<none>" means no file
    std::string line;
    int ms;
};

TEST(StartUp, LiveEditionReadsTheReadTime) {
    const ReadTimeCase cases[] = {
        {"READ_TIME 500\r\nrest", "READ_TIME 500", 500},
        {"READ_TIME 12345\n", "READ_TIME 12345", 2345},
        {"READ_TIME", "READ_TIME", 0},
        {"READ_TIME 1000", "READ_TIME 1000", 1000},
        {"READ_TIME -12\r", "READ_TIME -12", -12},
        {"", "READ_TIME 1000", 1000},
        {"\nREAD_TIME 2000\n", "READ_TIME 1000", 1000},
        {"777", "777", 777},
        {"\xFF\xFE\0\x01 12"s, "\xFF\xFE\0\x01 12"s, 0},  // the last four begin with 0x01
        {"\xFF\xFE\0x  12"s, "\xFF\xFE\0x  12"s, 12},
        {"<none>", "READ_TIME 1000", 1000},
    };
    for (const ReadTimeCase& c : cases) {
        TemporaryWorkFolder folder;
        if (c.content != "<none>") writeFile("kelvinor.ini", c.content);
        oneSensorOnCom2();
        Scenario scenario;
        EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
        EXPECT_EQ(scenario.state.readTime.line, c.line) << c.content;
        EXPECT_EQ(scenario.state.readTime.ms, c.ms) << c.content;
        // Created empty when missing, and never written.
        EXPECT_EQ(readFile("kelvinor.ini"), c.content == "<none>" ? "" : c.content);
    }
}

TEST(StartUp, ToolSettingsArePatchedInPlace) {
    struct Case {
        std::string before;
        std::string readTime;
        std::string after;
    };
    const Case cases[] = {
        // The second line is replaced exactly when it has the same length.
        {"TTY /dev/ttyS0\nREAD_TIME 1000\nLOG_TYPE 1\n", "READ_TIME 2000",
         "TTY /dev/ttyS0\nREAD_TIME 2000\fLOG_TYPE 1\n"},
        {"TTY x\r\nREAD_TIME 1000\r\nNEXT\r\n", "READ_TIME 2000",
         "TTY x\r\nREAD_TIME 2000\f\nNEXT\r\n"},
        {"TTY x\rREAD_TIME 1000\rZ", "READ_TIME 5", "TTY x\rREAD_TIME 5\f00\rZ"},
        {"ONE", "READ_TIME 1000", "ONEREAD_TIME 1000\f"},
        {"ONE\n", "READ_TIME 1000", "ONE\nREAD_TIME 1000\f"},
        {"", "READ_TIME 1000", "READ_TIME 1000\f"},
        {"<none>", "READ_TIME 1000", "READ_TIME 1000\f"},
        {"A\nB\n" + std::string(100000, 'x'), "READ_TIME 1000",
         "A\nREAD_TIME 1000\f" + std::string(100000 - 13, 'x')},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        if (c.readTime != "READ_TIME 1000") writeFile("kelvinor.ini", c.readTime + "\n");
        // The scan deletes the old settings; the tool leaves new ones.
        writeFile("digitemp.cfg", "stale");
        oneSensorOnCom2(c.before == "<none>" ? "" : c.before);
        Scenario scenario;
        scenario.runStartUpAndClose(0);
        EXPECT_EQ(readFile("digitemp.cfg"), c.after) << c.before;
    }
}

std::string answerFile(const std::vector<std::string>& sensorLines) {
    std::string text = "DigiTemp\nline2\nline3\nline4\nline5\nline6\n";
    for (const std::string& line : sensorLines) text += line + "\n";
    return text;
}

TEST(StartUp, SensorTableFromTheAnswerFile) {
    struct Case {
        std::string content;
        std::vector<std::string> roms;
    };
    std::vector<std::string> many;
    for (int i = 0; i < 74; ++i)
        many.push_back("10" + std::string(13, 'A') + std::to_string(i % 10));
    std::vector<std::string> first61;
    for (int i = 0; i < 61; ++i) first61.push_back(many[i]);
    const Case cases[] = {
        {answerFile({"10A8B16B0108005D : DS1820/DS18S20/DS1920 Temperature Sensor",
                     "10B7C34F00080012 : DS1820", "ROM #0 : 10A8B16B0108005D", ""}),
         {"10A8B16B0108005D", "10B7C34F00080012"}},
        {answerFile({"ROM #0 : 10A8B16B0108005D", "", ""}), {}},
        {answerFile(many), first61},
        {answerFile({"28FF0011223344AA : DS18B20", "short"}), {"28FF0011223344AA", "short"}},
        {answerFile({" "}), {" "}},
        {answerFile({"10"}), {"10"}},
        {"a\nb\nc\nd\ne\n", {}},
        {"", {}},
        // One sensor counted on line 9; the sensors are taken from line 7 on.
        {std::string("\0\xFF\x80\r\n", 5) + std::string(7, '\n') + std::string("\x10\x00\xFF", 3),
         {""}},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        writeFile("COM3READ.INI", c.content);
        ProgramState state;
        state.demoMode = 0;
        chooseSensorBus(state);
        state.sensorPort = 3;
        buildSensorTable(state);
        std::vector<std::string> roms;
        for (const Sensor& sensor : state.sensors) roms.push_back(sensor.rom);
        EXPECT_EQ(roms, c.roms) << c.content.substr(0, 80);
        if (!c.roms.empty()) {
            EXPECT_EQ(state.sensors.back().alias, "S" + std::to_string(c.roms.size()));
            EXPECT_EQ(state.sensors.back().warmAbove, 126.0);
            EXPECT_EQ(state.sensors.front().coldBelow, -56.0);
        }
        EXPECT_EQ(readFile("COM3READ.INI"), c.content);
    }
}

TEST(StartUp, MissingAnswerFileIsCreatedEmptyAndGivesNoSensors) {
    TemporaryWorkFolder folder;
    ProgramState state;
    chooseSensorBus(state);
    state.sensorPort = 4;
    buildSensorTable(state);
    EXPECT_TRUE(state.sensors.empty());
    EXPECT_EQ(fileSize("COM4READ.INI"), 0);
}

TEST(StartUp, ClockProgramAndMailSettingsAreMeasured) {
    struct Case {
        bool clockFile, clockFolder, mailFile, mailFolder, network;
        std::int64_t clockSize, mailSize;
    };
    const Case cases[] = {
        {false, false, false, false, true, -1, -1},
        {true, false, true, false, true, 7, 30},
        {true, false, true, false, false, 7, -1},  // no sockets: e-mail off, file not read
        {false, true, false, true, true, -2, -1},  // folders do not count
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        const std::string clockFile(clockProgramFile());  // Horalux, Horalux.exe on Windows
        if (c.clockFile) writeFile(clockFile, "#!/bin/");
        if (c.clockFolder) fs::create_directory(clockFile);
        if (c.mailFile) writeFile("KelvEmail.ini", "a@b\nc@d\nx\nSubject\nhost\n+Anhang");
        if (c.mailFolder) fs::create_directory("KelvEmail.ini");
        Scenario scenario(ScenarioOptions{.networkAvailable = c.network});
        scenario.runStartUpAndClose(1);
        EXPECT_EQ(scenario.state.clockProgramSize, c.clockSize);
        EXPECT_EQ(scenario.state.mailSettingsSize, c.mailSize);
        EXPECT_EQ(scenario.state.clockRunning, 0);
        const bool read = c.mailSize >= 0;
        EXPECT_EQ(scenario.state.mailSender, read ? "a@b" : "");
        EXPECT_EQ(scenario.state.mailRecipient, read ? "c@d" : "");
        EXPECT_EQ(scenario.state.mailSubject, read ? "Subject" : "");
        EXPECT_EQ(scenario.state.mailServer, read ? "host" : "");
        EXPECT_EQ(scenario.state.mailAttachFlag, read ? "+Anhang" : "");
    }
}

TEST(StartUp, ShortAndEmptyMailSettings) {
    TemporaryWorkFolder folder;
    writeFile("KelvEmail.ini", "");
    Scenario scenario;
    scenario.runStartUpAndClose(1);
    EXPECT_EQ(scenario.state.mailSettingsSize, 0);  // an empty file enables e-mail
    EXPECT_EQ(scenario.state.mailServer, "");

    writeFile("KelvEmail.ini", "me@x\r\nyou@y\r\n");
    Scenario shortFile;
    shortFile.runStartUpAndClose(1);
    EXPECT_EQ(shortFile.state.mailRecipient, "you@y");
    EXPECT_EQ(shortFile.state.mailSubject, "");
}

TEST(StartUp, SoundIsReadyOnlyWithAnOutput) {
    for (bool available : {false, true}) {
        TemporaryWorkFolder folder;
        Scenario scenario(ScenarioOptions{.soundAvailable = available});
        scenario.runStartUpAndClose(1);
        EXPECT_EQ(scenario.state.soundReady, available ? 1 : 0);
        // Clicks after the demonstration notice, after the title and on closing.
        EXPECT_EQ(scenario.sound.cues(),
                  (available ? std::vector<int>{0, 0, 0} : std::vector<int>{}));
        EXPECT_TRUE(scenario.sound.closed);  // released by endProgram
    }
}

TEST(StartUp, HostileSettingsFilesNeverCrash) {
    struct Case {
        std::string name;
        std::function<void()> make;
    };
    std::vector<Case> cases = {
        {"folder",
         [] {
             fs::create_directory("kelvinor.ini");
             fs::create_directory("digitemp.cfg");
         }},
        {"huge line",
         [] { writeFile("kelvinor.ini", std::string(10 * 1024 * 1024, '7') + "1234"); }},
        {"binary",
         [] {
             std::string bytes;
             for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i * 37);
             writeFile("kelvinor.ini", bytes);
             writeFile("digitemp.cfg", bytes);
         }},
    };
#ifndef _WIN32  // symbolic links need a privilege on Windows
    cases.push_back(
        {"dangling link", [] { fs::create_symlink("/nonexistent/x", "kelvinor.ini"); }});
    // A file that opens but cannot be read: the kernel's view of memory.
    cases.push_back({"unreadable", [] { fs::create_symlink("/proc/self/mem", "kelvinor.ini"); }});
#endif
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        c.make();
        oneSensorOnCom2();
        Scenario scenario;
        EXPECT_EQ(scenario.runStartUpAndClose(0), 0) << c.name;
        if (c.name == "huge line") {
            EXPECT_EQ(scenario.state.readTime.ms, 1234);
        }
        if (c.name == "folder" || c.name == "unreadable" || c.name == "dangling link") {
            EXPECT_EQ(scenario.state.readTime.ms, 1000) << c.name;
        }
    }
}

}  // namespace
}  // namespace kelvinor
