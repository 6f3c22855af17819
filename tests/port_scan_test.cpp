#include "logger/features/bus/port_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "logger/application/startup.h"
#include "logger/constants/control_ids.h"
#include "logger/features/bus/sensor_buses.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "tests/support/bus_fixtures.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

std::vector<std::string> journalEntries(const ScriptedDesktop& desktop, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& entry : desktop.journal)
        if (entry.starts_with(prefix)) out.push_back(entry);
    return out;
}

// Runs the scan alone, as start-up step 10 does, on a prepared state; true
// when a port carries sensors (false ends the program).
bool runScan(Scenario& scenario, int demoMode) {
    scenario.state.demoMode = demoMode;
    chooseSensorBus(scenario.state);
    scenario.state.soundEnabled = 1;
    scenario.state.commandInterpreter = "command";
    scenario.state.portCommand.assign(11, "");
    for (int n = 1; n <= 9; ++n)
        scenario.state.portCommand[n] = "/cCOM" + std::to_string(n) + "READ.BAT";
    scenario.state.soundReady = scenario.sound.open() ? 1 : 0;
    return scanPorts(scenario.state, scenario.host);
}

TEST(PortScan, RunsAllNineBatchesWithTheScanWindow) {
    TemporaryWorkFolder folder;
    writeScanBatches({});
    for (int n = 1; n <= 9; ++n) writeFile("COM" + std::to_string(n) + "READ.INI", "stale");
    writeFile("digitemp.cfg", "old");
    Scenario scenario;
    EXPECT_TRUE(runScan(scenario, 1));
    EXPECT_EQ(readNotes("scan.log"), "1\n2\n3\n4\n5\n6\n7\n8\n9\n");
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(fileSize("COM" + std::to_string(n) + "READ.INI"), -1);
    EXPECT_EQ(fileSize("digitemp.cfg"), -1);

    const auto& journal = scenario.desktop.journal;
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.front(),
              "open 0 " + "Kelvinor: Prüfung 'COM1' - 'COM9' auf 1-Wire-Sensoren"_cp);
    std::vector<std::string> expected;
    for (int n = 1; n <= 9; ++n) {
        expected.push_back("text 5 'COM" + std::to_string(n) + "' wird überprüft..."_cp);
        expected.push_back("update");
        expected.push_back("progress " + std::to_string(n));
        expected.push_back("update");
    }
    EXPECT_EQ(journal[1],
              "create 5 " + "Die Überprüfung der COM-Schnittstellen wird initialisiert..."_cp);
    EXPECT_EQ(journal[2], "create 21 ");
    EXPECT_EQ(journal[3], "update");
    std::vector<std::string> scanSteps;
    bool closed = false;
    for (std::size_t i = 4; i < journal.size() && !closed; ++i) {
        if (journal[i] == "close 0")
            closed = true;
        else
            scanSteps.push_back(journal[i]);
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(scanSteps, expected);
    // 1000 ms before the first batch and 10 ms after each.
    EXPECT_EQ(scenario.clock.sleptMs(), 1000 + 9 * 10);
}

TEST(PortScan, DemonstrationAnnouncesCom1WhateverTheHardware) {
    for (bool sensorsOnCom4 : {false, true}) {
        TemporaryWorkFolder folder;
        std::map<int, std::string> answers;
        if (sensorsOnCom4) answers[4] = answerFileWith({"10A8B16B0108005D : DS1820"});
        writeScanBatches(answers);
        Scenario scenario(ScenarioOptions{.soundAvailable = true});
        EXPECT_TRUE(runScan(scenario, 1));
        EXPECT_EQ(scenario.state.sensorPort, 1);
        ASSERT_EQ(scenario.desktop.messages.size(), 1u);
        EXPECT_EQ(scenario.desktop.messages[0].title, "Kelvinor: DEMO-Info");
        EXPECT_EQ(scenario.desktop.messages[0].text,
                  "An der DEMO-Schnittstelle 'COM1' wurden 1-Wire-DEMO-Sensoren gefunden!");
        EXPECT_EQ(scenario.sound.cues(), std::vector<int>{0});
        EXPECT_GE(scenario.sound.played[0].atMs, scenario.desktop.messageTimes[0]);
        EXPECT_TRUE(scenario.state.sensors.empty());  // the scan lists no sensors
        EXPECT_TRUE(journalEntries(scenario.desktop, "open 2").empty());
    }
}

TEST(PortScan, EveryPortWithSensorsIsAnnouncedAndTheHighestWins) {
    TemporaryWorkFolder folder;
    writeScanBatches(
        {{2, answerFileWith({"10A8B16B0108005D : DS1820"})},
         {5, answerFileWith({"10B7C34F00080012 : DS1820", "10C1D2E3F4050607 : DS1820"})},
         {7, answerFileWith({})}});
    Scenario scenario;
    EXPECT_TRUE(runScan(scenario, 0));
    EXPECT_EQ(scenario.state.sensorPort, 5);
    const std::string title = "Kelvinor: Gültige COM-Schnittstelle wurde gefunden"_cp;
    EXPECT_EQ(journalEntries(scenario.desktop, "open 2"),
              (std::vector<std::string>{"open 2 " + title, "open 2 " + title}));
    EXPECT_TRUE(scenario.desktop.messages.empty());
    // The found windows' texts, each shown for 2 s.
    EXPECT_EQ(scenario.clock.sleptMs(), 1000 + 90 + 2 * 2000);
    EXPECT_TRUE(scenario.state.sensors.empty());
}

TEST(PortScan, FoundWindowNamesThePort) {
    TemporaryWorkFolder folder;
    writeScanBatches({{3, answerFileWith({"10A8B16B0108005D"})}});
    Scenario scenario;
    runScan(scenario, 0);
    // The found window is closed again; its text was created with the window.
    const auto& journal = scenario.desktop.journal;
    const auto open =
        std::find(journal.begin(), journal.end(),
                  "open 2 " + "Kelvinor: Gültige COM-Schnittstelle wurde gefunden"_cp);
    ASSERT_NE(open, journal.end());
    EXPECT_EQ(*(open + 1), "create 7 An der Schnittstelle 'COM3' wurden 1-Wire-Sensoren gefunden!");
    EXPECT_EQ(*(open + 2), "update");
    EXPECT_EQ(*(open + 3), "close 2");
    EXPECT_EQ(scenario.state.sensorPort, 3);
}

TEST(PortScan, SeventhLineDecides) {
    struct Case {
        std::string answer;
        int port;
    };
    const Case cases[] = {
        {"1\n2\n3\n4\n5\n6\n", 0},          // six lines
        {"1\n2\n3\n4\n5\n6\n\n10AB\n", 0},  // empty seventh line
        {"1\n2\n3\n4\n5\n6\n \n", 6},       // a blank counts
        {"1\r2\r3\r4\r5\r6\rx", 6},        {std::string("\0\n\0\n\0\n\0\n\0\n\0\n\0", 13), 6},
    };
    for (const Case& c : cases) {
        TemporaryWorkFolder folder;
        writeScanBatches({{6, c.answer}});
        Scenario scenario;
        const bool found = runScan(scenario, 0);
        EXPECT_EQ(scenario.state.sensorPort, c.port);
        EXPECT_EQ(found, c.port != 0);
    }
}

TEST(PortScan, NoSensorsEndsTheProgramWithTheProblemMessage) {
    TemporaryWorkFolder folder;
    writeScanBatches({});
    // A stale answer file with sensors is deleted before its batch runs.
    writeFile("COM3READ.INI", answerFileWith({"10A8B16B0108005D : DS1820"}));
    Scenario scenario(ScenarioOptions{.soundAvailable = true});
    EXPECT_FALSE(runScan(scenario, 0));
    ASSERT_EQ(scenario.desktop.messages.size(), 1u);
    EXPECT_EQ(scenario.desktop.messages[0].title, "Kelvinor: Problem");
    EXPECT_EQ(scenario.desktop.messages[0].text,
              "An den Schnittstellen 'COM1' bis 'COM9' wurden\r"
              "keine 1-Wire-Temperatursensoren gefunden!\r\r"
              "- Die COM-Schnittstelle (1-9) korrekt eingerichtet?\r"
              "- Die COM-Verbindungsleitung angeschlossen?\r"
              "- Alle Steckverbinder richtig eingerastet?\r"
              "- Die Stromversorgung angeschlossen?");
    // The problem cue, its pause, the message, then the click.
    ASSERT_EQ(scenario.sound.cues(), (std::vector<int>{1, 0}));
    EXPECT_EQ(scenario.desktop.messageTimes[0], scenario.sound.played[0].atMs + 500);
    EXPECT_EQ(scenario.sound.played[1].atMs, scenario.desktop.messageTimes[0]);
    // The whole program: the message, then the end, everything released.
    Scenario whole(ScenarioOptions{.soundAvailable = true});
    EXPECT_EQ(whole.runStartUp(0), 0);
    ASSERT_FALSE(whole.desktop.messages.empty());
    EXPECT_EQ(whole.desktop.messages.back().title, "Kelvinor: Problem");
    EXPECT_TRUE(whole.sound.closed);
    EXPECT_TRUE(whole.desktop.openWindows.empty());
}

TEST(PortScan, MissingBatchesMeanNoSensors) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    EXPECT_FALSE(runScan(scenario, 0));
    EXPECT_EQ(scenario.desktop.messages.at(0).title, "Kelvinor: Problem");
    // Without sound there are no pauses besides the scan's own waits.
    EXPECT_EQ(scenario.clock.sleptMs(), 1090);
}

}  // namespace
}  // namespace kelvinor
