// The shipped bus scripts driving Debian's real DigiTemp against a simulated
// 1-Wire bus on a pseudo-terminal. Under Wine the same cases (but those of
// shell wrappers) drive the Windows batches and the DigiTemp for Windows that
// the packages ship, with the simulator's terminal as COM3.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "logger/features/bus/measurement.h"
#include "logger/features/bus/sensor_buses.h"
#include "logger/system/files.h"
#include "logger/text/cp1252.h"
#include "tests/onewire/onewire_bus.h"
#include "tests/support/onewire_fixture.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

// The search order of these three is B, A, C: the sensors 1, 2 and 3.
const std::string kRomA = "104C4D55000800";  // CRC D9
const std::string kRomB = "10A8B16B010800";  // CRC 5D
const std::string kRomC = "10B7C34F000800";  // CRC 19

TEST(OneWireSimulator, RomAndScratchpadCrcs) {
    const onewire::Rom a = onewire::parseSensors(kRomA + " 1\n").at(0).rom;
    EXPECT_EQ(a[7], 0xD9);
    EXPECT_EQ(onewire::parseSensors(kRomB + " 1\n").at(0).rom[7], 0x5D);
    for (double celsius : {85.0, 21.5, -10.25, 0.0, -55.0, 125.0}) {
        const auto pad = onewire::scratchpadFor(celsius);
        EXPECT_EQ(onewire::crc8(pad.data(), 9), 0) << celsius;  // a valid CRC gives 0
        const int tempRead = static_cast<std::int16_t>(pad[0] | pad[1] << 8) >> 1;
        EXPECT_DOUBLE_EQ(tempRead - 0.25 + (16.0 - pad[6]) / 16.0, celsius);
    }
}

class RealDigiTemp : public ::testing::Test {
  protected:
    TemporaryWorkFolder folder;
};

TEST_F(RealDigiTemp, LiveStartUpFindsTheSensorsOnCom3AndTheInstantQueryShowsThem) {
    SimulatedBus bus(kRomA + " 21.5\n" + kRomB + " -10.25\n" + kRomC + " 0 noconvert\n");
    installBusScripts(bus.link());
    writeFile("kelvinor.ini", "READ_TIME 10\n");
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    EXPECT_EQ(scenario.state.sensorPort, 3);
    ASSERT_EQ(scenario.state.sensorCount(), 3);
    EXPECT_EQ(
        romsOf(scenario.state.sensors),
        (std::vector<std::string>{"10A8B16B0108005D", "104C4D55000800D9", "10B7C34F00080019"}));
    EXPECT_NE(readFile("digitemp.cfg").find("\nREAD_TIME 10\f0\n"), std::string::npos)
        << readFile("digitemp.cfg");
    EXPECT_TRUE(scenario.desktop.messages.empty());  // found, so no problem message

    instantQuery(scenario.state, scenario.host);
    const std::string& text = scenario.desktop.messages.back().text;
    EXPECT_EQ(text.substr(text.find("\r\r") + 2),
              "-10,25°C = Sensor Nr. 1/ID 10A8B16B0108005D = 'S1'\r"
              "21,50°C = Sensor Nr. 2/ID 104C4D55000800D9 = 'S2'\r"
              "85,00°C = Sensor Nr. 3/ID 10B7C34F00080019 = 'S3'\r\r"_cp);
}

TEST_F(RealDigiTemp, UnreadableSensorsDeliverTheFaultCode) {
    auto bus =
        std::make_unique<SimulatedBus>(kRomA + " 21.5\n" + kRomB + " -10.25\n" + kRomC + " 0\n");
    installBusScripts(bus->link());
    writeFile("kelvinor.ini", "READ_TIME 10\n");
    Scenario scenario;
    scenario.runStartUpAndClose(0);
    ASSERT_EQ(scenario.state.sensorCount(), 3);

    struct Case {
        std::string sensors;
        std::string line;
    };
    const Case cases[] = {
        {kRomA + " 21.5\n" + kRomB + " -10.25\n" + kRomC + " 0\n", "0\t-10.25\t21.50\t0.00"},
        // A bad CRC and an absent sensor are faults; a genuine 0.00 stays.
        {kRomA + " 3 absent\n" + kRomB + " 3 badcrc\n" + kRomC + " 0\n", "0\t85.00\t85.00\t0.00"},
        {"", "0\t85.00\t85.00\t85.00"},  // nothing answers
        {kRomA + " 125\n" + kRomB + " -55\n" + kRomC + " 85\n", "0\t-55.00\t125.00\t85.00"},
    };
    for (const Case& c : cases) {
        bus->setSensors(c.sensors);
        readAllSensors(scenario.state, scenario.host);
        EXPECT_EQ(scenario.state.lastReadings.line, c.line) << c.sensors;
        EXPECT_EQ(readFile("DATALINE.TXT"), c.line + "\r\n");
    }
    EXPECT_EQ(fileSize("DATALINE.TMP"), -1);
    // The adapter gone: DigiTemp cannot open the port and says so on its
    // standard output ("Error 23: ..."), which is no reading.
    bus.reset();
    readAllSensors(scenario.state, scenario.host);
    EXPECT_EQ(scenario.state.lastReadings.line, "0\t85.00\t85.00\t85.00");
}

TEST_F(RealDigiTemp, MoreThanSixtyOneSensorsGiveTheFirstSixtyOne) {
    // 65 sensors; the temperature of each is its serial number, so every
    // column can be matched to the sensor its header names.
    std::string sensors;
    std::map<std::string, int> serialOf;  // ROM code (16 digits) -> serial number
    for (int i = 1; i <= 65; ++i) {
        char rom[15];
        std::snprintf(rom, sizeof rom, "10%02X%02X%02X000800", i * 37 % 256, i, 0x4F);
        sensors += std::string(rom) + " " + std::to_string(i) + "\n";
        serialOf[rom] = i;
    }
    SimulatedBus bus(sensors);
    installBusScripts(bus.link());
    // Every bit of a search is a round trip to the simulator, so on a busy
    // machine 65 sensors may outlast the scan's limit at a short read time;
    // the long one gives the scan room and is shortened again for the read.
    writeFile("kelvinor.ini", "READ_TIME 9000\n");
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    ASSERT_EQ(scenario.state.sensorCount(), 61);
    writeFile("kelvinor.ini", "READ_TIME 10\n");
    loadReadTime(scenario.state);
    patchToolSettings(scenario.state);
    readAllSensors(scenario.state, scenario.host);
    const std::string line = scenario.state.lastReadings.line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 61) << line;
    for (int k = 1; k <= 61; ++k) {
        const std::string rom = scenario.state.sensors[k - 1].rom.substr(0, 14);
        ASSERT_EQ(serialOf.count(rom), 1u) << rom;
        EXPECT_EQ(scenario.state.lastReadings.readings[k - 1].celsius, serialOf[rom])
            << "sensor " << k;
    }
    // The answer file names the same 61 sensors, no more: one row each that
    // starts with its ROM code ("ROM : name" from the Linux scripts, the ROM
    // alone from the Windows batches).
    int named = 0;
    std::istringstream answer(readFile("COM3READ.INI"));
    for (std::string row; std::getline(answer, row);)
        if (row.size() >= 16 && serialOf.count(row.substr(0, 14)) == 1 &&
            (row.size() == 16 || row[16] == ' ' || row[16] == '\r'))
            ++named;
    EXPECT_EQ(named, 61);
}

void writeProgram(const std::string& name, const std::string& body) {
    writeFile(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(name, std::filesystem::perms::owner_all);
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(RealDigiTemp, AStuckOrComplainingDigiTempCostsAtMostItsLimit) {
    // COM3: a DigiTemp that never answers; COM5: one that complains and ends.
    installBusScripts("/dev/null");
    writeProgram("hanging-digitemp", "exec sleep 1001\n");
    writeProgram("complaining-digitemp",
                 "echo \"you don't have +rw permission on /dev/ttyS4\" >&2\nexit 1\n");
    std::string ports = readFile("COMPORTS.TXT");
    ports.replace(ports.find("COM3 /dev/null"), 14, "COM3 /dev/null ./hanging-digitemp");
    ports.replace(ports.find("COM5 /nonexistent/ttyS5"), 23,
                  "COM5 /dev/null ./complaining-digitemp");
    writeFile("COMPORTS.TXT", ports);
    writeFile("kelvinor.ini", "READ_TIME 10\n");  // a search may take 2 x 10 + 4000 ms
    Scenario scenario;
    const double seconds = secondsOf([&] { EXPECT_EQ(scenario.runStartUpAndClose(0), 0); });
    EXPECT_GE(seconds, 4.0);
    EXPECT_LT(seconds, 7.0);
    EXPECT_EQ(scenario.state.sensorPort, 0);
    EXPECT_EQ(fileSize("COM3READ.INI"), -1);
    EXPECT_EQ(scenario.desktop.messages.at(0).title, "Kelvinor: Problem");
    const std::string log = readFile("DIGITEMP.LOG");
    EXPECT_NE(log.find("COM3 (/dev/null, ./hanging-digitemp):\n  no answer within 4.020 s"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("COM5 (/dev/null, ./complaining-digitemp):\n"
                       "  you don't have +rw permission on /dev/ttyS4\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(system("pgrep -f 'slee[p] 1001' >/dev/null"), 256);  // nothing left running
}

TEST_F(RealDigiTemp, AHangingOrWrappedDigiTempIsBoundedWithAllItStarts) {
    // A read that never ends reads the fault code in time. The program in
    // COMPORTS.TXT or DIGITEMP.TOOL may be a script that starts DigiTemp (or
    // anything) without exec; its children are bounded too, and none
    // outlives the batch.
    struct Case {
        std::string wrapper;   // the second sensor's read; the others by the real DigiTemp
        std::string dataLine;  // after the read
    };
    const Case cases[] = {
        // Never ends.
        {"[ \"$3\" = 1 ] && exec sleep 1000\nexec digitemp_DS9097 \"$@\"\n",
         "0\t-10.25\t85.00\t0.00"},
        // Hangs in a child of the wrapper, which holds the output pipe.
        {"[ \"$3\" = 1 ] && { sleep 1002; exit 0; }\nexec digitemp_DS9097 \"$@\"\n",
         "0\t-10.25\t85.00\t0.00"},
        // Reads, and leaves a child behind that holds the output.
        {"[ \"$3\" = 1 ] && { sleep 1003 & }\nexec digitemp_DS9097 \"$@\"\n",
         "0\t-10.25\t21.50\t0.00"},
    };
    SimulatedBus bus(kRomA + " 21.5\n" + kRomB + " -10.25\n" + kRomC + " 0\n");
    installBusScripts(bus.link());
    writeFile("kelvinor.ini", "READ_TIME 10\n");  // a read may take 3 x 10 + 1000 ms
    Scenario scenario;
    scenario.runStartUpAndClose(0);
    ASSERT_EQ(scenario.state.sensorCount(), 3);
    for (const Case& c : cases) {
        writeProgram("wrapped-digitemp", c.wrapper);
        writeFile("DIGITEMP.TOOL", "./wrapped-digitemp\n");
        const double seconds = secondsOf([&] { readAllSensors(scenario.state, scenario.host); });
        EXPECT_EQ(scenario.state.lastReadings.line, c.dataLine) << c.wrapper;
        EXPECT_LT(seconds, 5.0) << c.wrapper;
        EXPECT_EQ(system("pgrep -f 'slee[p] 100[023]' >/dev/null"), 256) << c.wrapper;
    }
    EXPECT_NE(readFile("DIGITEMP.LOG").find("sensor 2:\n  no answer within 1.030 s: 85.00\n"),
              std::string::npos);
    // A search whose wrapped DigiTemp hangs in a child: no sensors, in time, nothing left.
    installBusScripts("/dev/null");
    writeProgram("hanging-wrapper", "sleep 1004\n");
    std::string ports = readFile("COMPORTS.TXT");
    ports.replace(ports.find("COM3 /dev/null"), 14, "COM3 /dev/null ./hanging-wrapper");
    writeFile("COMPORTS.TXT", ports);
    Scenario scan;
    const double seconds = secondsOf([&] { EXPECT_EQ(scan.runStartUpAndClose(0), 0); });
    EXPECT_EQ(scan.state.sensorPort, 0);
    EXPECT_LT(seconds, 9.0);
    EXPECT_EQ(system("pgrep -f 'slee[p] 1004' >/dev/null"), 256);
}

TEST_F(RealDigiTemp, ABusWithoutSensorsEndsTheProgram) {
    SimulatedBus bus("");
    installBusScripts(bus.link());
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    EXPECT_EQ(scenario.state.sensorPort, 0);
    EXPECT_EQ(fileSize("COM3READ.INI"), -1);
    EXPECT_EQ(scenario.desktop.messages.at(0).title, "Kelvinor: Problem");
}

}  // namespace
}  // namespace kelvinor
