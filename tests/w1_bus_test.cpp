// The Linux kernel's 1-Wire devices as a port: a folder laid out like
// /sys/bus/w1/devices, read by the real batch files in the live edition.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "logger/constants/control_ids.h"
#include "logger/features/bus/measurement.h"
#include "logger/system/bus_log.h"
#include "logger/text/cp1252.h"
#include "tests/support/onewire_fixture.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A w1 device with the kernel's two-line w1_slave: the CRC verdict, then t=.
void device(const std::string& name, const std::string& verdict, const std::string& milli) {
    fs::create_directories("w1/" + name);
    const std::string bytes = "50 05 4b 46 7f ff 0c 10 1c";
    writeFile("w1/" + name + "/w1_slave",
              bytes + " : crc=1c " + verdict + "\n" + bytes + " t=" + milli + "\n");
}

// The batch files, port 5 on the w1 folder, every other port without a device.
void installW1Port() {
    installBusScripts("w1 " + (fs::current_path() / "w1").string(), 5);
    fs::create_directories("w1/w1_bus_master1");
    writeFile("w1/w1_bus_master1/therm_bulk_read", "");
}

TEST(W1Bus, ScanAnswerFileAndDataLineAsTheToolWouldLeaveThem) {
    TemporaryWorkFolder folder;
    installW1Port();
    device("10-0008016bb1a8", "YES", "23125");     // DS18S20
    device("28-000005e2fdc3", "YES", "-10250");    // DS18B20
    device("22-000000aabbcc", "NO", "0");          // DS1822, CRC failed
    device("3b-0000001a2b3c", "YES", "85000");     // power-on value
    device("28-0000063e1f2a", "YES", "4062");      // disappears before the read
    fs::create_directories("w1/01-000012345678");  // not a temperature sensor
    device("28-00080zzzzzzz", "YES", "1000");      // names without a hex serial: left out
    device("10-0008016bb1a", "YES", "1000");
    writeFile("kelvinor.ini", "READ_TIME 100\n");
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    EXPECT_EQ(scenario.state.sensorPort, 5);
    ASSERT_EQ(scenario.state.sensorCount(), 5);
    for (const std::string name : {"28-00080zzzzzzz", "10-0008016bb1a"})
        EXPECT_NE(readFile("DIGITEMP.LOG")
                      .find("  the device \"" + name +
                            "\" has no serial number of 12 hex digits: left out\n"),
                  std::string::npos)
            << readFile("DIGITEMP.LOG");
    // DigiTemp's ROM order: family, serial lowest byte first, CRC; sorted.
    EXPECT_EQ(readFile("COM5READ.INI"),
              "Kelvinor: Busabfrage COM5\nSchnittstelle: w1 " + (folder.path() / "w1").string() +
                  "\nProgramm: w1\nEinstellungen: digitemp-COM5.cfg\n\n\n"
                  "10A8B16B0108005D : DS1820/DS18S20/DS1920 Temperature Sensor\n"
                  "22CCBBAA000000FA : DS1822 Temperature Sensor\n"
                  "282A1F3E060000F8 : DS18B20 Temperature Sensor\n"
                  "28C3FDE2050000E9 : DS18B20 Temperature Sensor\n"
                  "3B3C2B1A00000099 : DS1825/MAX31850 Temperature Sensor\n"
                  "ROM #0 : 10A8B16B0108005D\nROM #1 : 22CCBBAA000000FA\n"
                  "ROM #2 : 282A1F3E060000F8\nROM #3 : 28C3FDE2050000E9\n"
                  "ROM #4 : 3B3C2B1A00000099\n");
    EXPECT_EQ(romsOf(scenario.state.sensors),
              (std::vector<std::string>{"10A8B16B0108005D", "22CCBBAA000000FA", "282A1F3E060000F8",
                                        "28C3FDE2050000E9", "3B3C2B1A00000099"}));
    // The tool's settings carry the read time where the tool would have it.
    EXPECT_NE(readFile("digitemp.cfg").find("\nREAD_TIME 100\f"), std::string::npos)
        << readFile("digitemp.cfg");
    EXPECT_NE(readFile("digitemp.cfg").find("\nSENSORS 5\n"), std::string::npos);

    fs::remove_all("w1/28-0000063e1f2a");
    instantQuery(scenario.state, scenario.host);
    EXPECT_EQ(readFile("DATALINE.TXT"), "0\t23.12\t85.00\t85.00\t-10.25\t85.00\r\n");
    EXPECT_EQ(readFile("w1/w1_bus_master1/therm_bulk_read"), "trigger\n");
    const std::string& text = scenario.desktop.messages.back().text;
    EXPECT_NE(text.find("23,12°C = Sensor Nr. 1/ID 10A8B16B0108005D = 'S1'\r"_cp),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("-10,25°C = Sensor Nr. 4/ID 28C3FDE2050000E9 = 'S4'\r"_cp),
              std::string::npos);
}

TEST(W1Bus, AFolderWithoutTemperatureSensorsIsAPortWithout) {
    TemporaryWorkFolder folder;
    installW1Port();
    fs::create_directories("w1/01-000012345678");
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUp(0), 0);  // the "no sensors" message, then the end
    EXPECT_EQ(scenario.state.sensorPort, 0);
    EXPECT_FALSE(fs::exists("COM5READ.INI"));
}

// What the scripts say in DIGITEMP.LOG when a port's settings cannot work
// or its sensors cannot be read: the real batches, run as a normal user
// (root may write where a user may not), each case in a folder of its own.
TEST(BusLog, SettingsMistakesAndFailedReadsAreSaid) {
    const bool root = commandOutput("id -u") == "0\n";
    const auto run = [root](const char* batch) {
        commandOutput((root ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "") +
                      std::string("sh ./") + batch + " </dev/null");
    };
    const auto sensorIn = [](const std::string& folder) {
        fs::create_directories(folder + "/28-000005e2fdc3");
        writeFile(folder + "/28-000005e2fdc3/w1_slave", "50 05 : crc=1c YES\n50 05 t=21500\n");
    };
    struct Case {
        const char* name;
        std::string port;                  // COM1's line in COMPORTS.TXT; FOLDER: the case's folder
        std::function<void()> make;        // the bus before the scan
        std::function<void()> beforeRead;  // then a read, when given
        std::string logged;                // in DIGITEMP.LOG; empty: the log stays empty
        bool sensors;                      // the scan leaves COM1READ.INI
    };
    const Case cases[] = {
        {"an unknown backend word", "COM1 OWSERVER 127.0.0.1:4304", [] {}, nullptr,
         "COMPORTS.TXT names \"OWSERVER\", which is no device (nor w1 or owserver): no sensors",
         false},
        {"a misspelt backend", "COM1 onewire", [] {}, nullptr,
         "COMPORTS.TXT names \"onewire\", which is no device", false},
        {"a program that is not installed", "COM1 /dev/null digitemp_NOWHERE", [] {}, nullptr,
         "the program \"digitemp_NOWHERE\" is not installed", false},
        {"a missing w1 folder", "COM1 w1 FOLDER/nowhere", [] {}, nullptr,
         "/nowhere\" does not exist: no sensors", false},
        {"a w1 folder with a blank", "COM1 w1 FOLDER/mit Leerzeichen",
         [&] { sensorIn("mit Leerzeichen"); }, nullptr, "", true},
        {"a bulk conversion the user may not start", "COM1 w1 FOLDER/w1",
         [&] {
             sensorIn("w1");
             fs::create_directories("w1/w1_bus_master1");
             writeFile("w1/w1_bus_master1/therm_bulk_read", "");
             fs::permissions("w1/w1_bus_master1/therm_bulk_read", fs::perms::owner_read);
         },
         nullptr, "therm_bulk_read may not be written by", true},
        {"w1 reads that fail", "COM1 w1 FOLDER/w1",
         [&] {
             sensorIn("w1");
             device("10-0008016bb1a8", "YES", "1000");
             device("22-000000aabbcc", "NO", "0");
             device("3b-0000001a2b3c", "YES", "1000");
         },
         [] {
             fs::remove("w1/10-0008016bb1a8/w1_slave");
             mkfifo("w1/10-0008016bb1a8/w1_slave", 0644);  // no writer: the read hangs
             fs::remove_all("w1/3b-0000001a2b3c");
         },
         "85.00 for: 10-0008016bb1a8 (timeout) 22-000000aabbcc (crc) 3b-0000001a2b3c (gone)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryWorkFolder folder;
        installBusScripts("unused");
        writeFile("kelvinor.ini", "READ_TIME 100\n");
        c.make();
        std::string port = c.port;
        if (const auto at = port.find("FOLDER"); at != std::string::npos)
            port.replace(at, 6, folder.path().string());
        writeFile("COMPORTS.TXT", port + "\n");
        fs::permissions(folder.path(), fs::perms::all);  // the normal user's to write
        run("COM1READ.BAT");
        EXPECT_EQ(fs::exists("COM1READ.INI"), c.sensors);
        if (c.beforeRead) {
            c.beforeRead();
            run("DATALINE.BAT");
            EXPECT_EQ(readFile("DATALINE.TXT"), "0\t85.00\t85.00\t21.50\t85.00\r\n");
        }
        const std::string log = fs::exists("DIGITEMP.LOG") ? readFile("DIGITEMP.LOG") : "";
        if (c.logged.empty())
            EXPECT_EQ(log, "");
        else
            EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}

TEST(BusLog, TheProgramsEntriesKeepTheNewest200LinesAsTheScriptsDo) {
    TemporaryWorkFolder folder;
    std::string earlier;
    for (int i = 1; i <= 250; ++i) earlier += "earlier " + std::to_string(i) + "\n";
    writeFile("DIGITEMP.LOG", earlier);
    appendBusLog("MQTT (h:1883):", "connected\nsecond line");
    const std::string log = readFile("DIGITEMP.LOG");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 200);
    EXPECT_TRUE(log.starts_with("earlier 54\n")) << log.substr(0, 40);
    EXPECT_TRUE(log.ends_with(" MQTT (h:1883):\n  connected\n  second line\n")) << log;
    EXPECT_FALSE(std::filesystem::exists("DIGITEMP.LOG.KEEP"));
}

TEST(W1Bus, ALiveRecordingEndToEnd) {
    TemporaryWorkFolder folder;
    installW1Port();
    device("10-0008016bb1a8", "YES", "21500");
    device("28-000005e2fdc3", "YES", "-3000");
    writeFile("kelvinor.ini", "READ_TIME 100\n");
    Scenario scenario;
    ScriptedDesktop& d = scenario.desktop;
    d.answerPrompt("Keller");
    d.clickAt(0, startButton);
    d.answerPrompt("S5");
    d.answerPrompt("w1.KLV");
    // The second sensor's CRC fails from the third row on.
    d.doAt(12'000, [] { device("28-000005e2fdc3", "NO", "-3000"); });
    d.clickAt(21'000, stopButton);
    d.answerMessage(kAnswerNo);
    EXPECT_EQ(scenario.runStartUp(0), 0);
    const std::string log = readFile("w1.KLV");
    const std::vector<std::string> rows = logRows(log);
    ASSERT_GE(rows.size(), 4u) << log;
    EXPECT_NE(rows[0].find("\t21,50\t-3,00\t"), std::string::npos) << rows[0];
    EXPECT_NE(rows.back().find("\t21,50\t85,00\t"), std::string::npos) << rows.back();
    EXPECT_NE(rows.back().find("FEHLMESSUNG?"), std::string::npos) << rows.back();
}

}  // namespace
}  // namespace kelvinor
