// Sensors served by a real OWFS owserver on a loopback port, read by the
// real batch files through owdir/owread/owwrite: its fake adapter, and a
// passive DS9097 adapter on the simulated 1-Wire bus, whose sensors take a
// real conversion time as DS18S20s do.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "logger/constants/control_ids.h"
#include "logger/features/bus/measurement.h"
#include "tests/support/onewire_fixture.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

extern char** environ;

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// owserver --fake=10,10,28: two DS18S20 and a DS18B20 with made-up readings;
// or the owserver of the adapter given (e.g. "--passive=./ttySIM").
class FakeOwserver {
  public:
    explicit FakeOwserver(const std::string& adapter = "--fake=10,10,28")
        : port_(freeLoopbackPort()) {
        const std::string listen = "127.0.0.1:" + std::to_string(port_);
        const char* argv[] = {"owserver",     adapter.c_str(),   "-p",   listen.c_str(),
                              "--foreground", "--error_level=0", nullptr};
        posix_spawnp(&pid_, "owserver", nullptr, nullptr, const_cast<char**>(argv), environ);
        for (int i = 0; i < 100 && !answers(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~FakeOwserver() { stop(); }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    void signal(int number) const { kill(pid_, number); }
    bool answers() const {
        return !commandOutput("owdir -s " + address() + " / 2>/dev/null").empty();
    }
    // The 16-digit address the owserver itself gives its sensors, sorted.
    std::vector<std::string> roms() const {
        std::vector<std::string> found;
        for (const char* name : {"10", "28"}) {
            const std::string listing =
                commandOutput("owdir -s " + address() + " / | grep '^/" + name + "\\.'");
            std::size_t at = 0;
            while (at < listing.size()) {
                const std::size_t end = listing.find('\n', at);
                const std::string device = listing.substr(at, end - at);
                at = end == std::string::npos ? listing.size() : end + 1;
                found.push_back(
                    commandOutput("owread -s " + address() + " " + device + "/address"));
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

  private:
    int port_;
    pid_t pid_ = 0;
};

// The batch files with port 7 on the owserver at `address`.
void installPort(const std::string& address) {
    installBusScripts("owserver " + address, 7);
    writeFile("kelvinor.ini", "READ_TIME 100\n");
}

std::vector<double> dataLineValues() {
    std::vector<double> values;
    const std::string line = readFile("DATALINE.TXT");
    std::size_t at = line.find('\t');
    while (at != std::string::npos) {
        values.push_back(std::stod(line.substr(at + 1)));
        at = line.find('\t', at + 1);
    }
    return values;
}

TEST(Owserver, LiveScanFindsItsSensorsAndTheInstantQueryReadsThem) {
    TemporaryWorkFolder folder;
    FakeOwserver server;
    ASSERT_TRUE(server.answers());
    installPort(server.address());
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    EXPECT_EQ(scenario.state.sensorPort, 7);
    ASSERT_EQ(scenario.state.sensorCount(), 3);
    const std::vector<std::string> roms = server.roms();
    ASSERT_EQ(roms.size(), 3u);
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(scenario.state.sensors[k - 1].rom, roms[k - 1]) << k;
    EXPECT_NE(readFile("digitemp.cfg").find("\nREAD_TIME 100\f"), std::string::npos);
    instantQuery(scenario.state, scenario.host);
    const std::vector<double> values = dataLineValues();
    ASSERT_EQ(values.size(), 3u) << readFile("DATALINE.TXT");
    for (double v : values) {  // the fake adapter's range
        EXPECT_GE(v, 0.0);
        EXPECT_LE(v, 100.0);
    }
}

// Three DS18S20 on the simulated bus, 750 ms per conversion as the real ones.
std::string threeSensorsAt(double celsius) {
    std::string lines;
    for (const char* rom : {"10A8B16B010800", "1067C669735100", "10112233445500"})
        lines += std::string(rom) + " " + std::to_string(celsius) + "\n";
    return lines;
}

// Each read gives the temperatures of that moment: not the conversion
// before (one interval late), nor 85 right after power-up.
TEST(Owserver, EveryReadHasTheTemperatureOfItsOwnConversion) {
    TemporaryWorkFolder folder;
    testing::SimulatedBus bus(threeSensorsAt(20), 750);
    FakeOwserver server("--passive=" + bus.link());
    ASSERT_TRUE(server.answers());
    installPort(server.address());
    Scenario scenario;
    EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
    ASSERT_EQ(scenario.state.sensorCount(), 3);
    std::vector<double> read;
    for (const double celsius : {20.0, 30.0, 30.0, -5.0, -5.0}) {
        bus.setSensors(threeSensorsAt(celsius));
        instantQuery(scenario.state, scenario.host);
        const std::vector<double> values = dataLineValues();
        ASSERT_EQ(values.size(), 3u) << readFile("DATALINE.TXT");
        read.push_back(values[0]);
        EXPECT_EQ(values[1], values[0]);
        EXPECT_EQ(values[2], values[0]);
    }
    EXPECT_EQ(read, (std::vector<double>{20.0, 30.0, 30.0, -5.0, -5.0}));
}

// A hung owserver costs one call's time-out, not one per sensor: no call
// follows the one that ran out of time, and the sensors not yet read read
// 85.00. owread is counted (and made to hang) by a stand-in on PATH that
// hands every other call to the real one.
TEST(Owserver, AHungServerCostsOneTimeOutPerRead) {
    TemporaryWorkFolder folder;
    const fs::path shims = folder.path() / "shims";
    fs::create_directory(shims);
    writeFile(
        (shims / "owread").string(),
        "#!/bin/sh\necho \"$*\" >> \"$OWREAD_CALLS\"\n"
        "case \"$*\" in *\"$OWREAD_HANG\"*) [ -n \"$OWREAD_HANG\" ] && exec sleep 600 ;; esac\n"
        "exec \"$REAL_OWREAD\" \"$@\"\n");
    fs::permissions(shims / "owread", fs::perms::owner_all);
    std::string owread = commandOutput("command -v owread");
    while (!owread.empty() && std::isspace(static_cast<unsigned char>(owread.back())))
        owread.pop_back();
    EnvironmentChange real("REAL_OWREAD", owread);
    EnvironmentChange path("PATH", shims.string() + ":" + std::getenv("PATH"));
    EnvironmentChange calls("OWREAD_CALLS", (folder.path() / "calls").string());
    struct Case {
        const char* name;
        bool stopServer;
        std::string hangingSensor;  // owread hangs for this device
        int owreadCalls;
        int readSensors;  // the first ones, read before the hang
    };
    const Case cases[] = {{"server stopped", true, "", 0, 0},
                          {"the second sensor's read hangs", false, "10.67C669735100", 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::SimulatedBus bus(threeSensorsAt(20));
        FakeOwserver server("--passive=" + bus.link());
        installPort(server.address());
        Scenario scenario;
        EXPECT_EQ(scenario.runStartUpAndClose(0), 0);
        ASSERT_EQ(scenario.state.sensorCount(), 3);
        EnvironmentChange hang("OWREAD_HANG", c.hangingSensor);
        fs::remove(folder.path() / "calls");
        if (c.stopServer) server.signal(SIGSTOP);
        instantQuery(scenario.state, scenario.host);
        if (c.stopServer) server.signal(SIGCONT);
        const std::vector<double> values = dataLineValues();
        ASSERT_EQ(values.size(), 3u);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(values[k], k < c.readSensors ? 20.0 : 85.0) << k;
        const std::string called = readFile("calls");
        EXPECT_EQ(std::count(called.begin(), called.end(), '\n'), c.owreadCalls) << called;
        EXPECT_NE(readFile("DIGITEMP.LOG").find("owserver " + server.address()), std::string::npos);
    }
}

TEST(Owserver, AServerThatIsGoneOrSilentIsAPortWithoutSensorsInTime) {
    TemporaryWorkFolder folder;
    // Nobody listens; then a listener that takes connections and never answers.
    const int closed = freeLoopbackPort();
    const SilentListener silent;
    for (int port : {closed, silent.port()}) {
        installPort("127.0.0.1:" + std::to_string(port));
        Scenario scenario;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(scenario.runStartUp(0), 0);  // "no sensors", then the end
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(scenario.state.sensorPort, 0);
        EXPECT_LT(seconds, 6.0) << port;  // the scan's limit: 2 x 100 + 2000 ms
    }
}

TEST(Owserver, ARecordingGoesOnWithFaultRowsWhenTheServerDies) {
    TemporaryWorkFolder folder;
    FakeOwserver server;
    installPort(server.address());
    Scenario scenario;
    ScriptedDesktop& d = scenario.desktop;
    d.answerPrompt("Keller");
    d.clickAt(0, startButton);
    d.answerPrompt("S5");
    d.answerPrompt("ow.KLV");
    d.doAt(12'000, [&] { server.stop(); });
    d.clickAt(25'000, stopButton);
    d.answerMessage(kAnswerNo);
    EXPECT_EQ(scenario.runStartUp(0), 0);
    const std::string log = readFile("ow.KLV");
    const std::vector<std::string> rows = logRows(log);
    ASSERT_GE(rows.size(), 4u) << log;
    EXPECT_EQ(rows[0].find("85,00"), std::string::npos) << rows[0];
    EXPECT_NE(rows.back().find("\t85,00\t85,00\t85,00\t"), std::string::npos) << rows.back();
    EXPECT_NE(rows.back().find("FEHLMESSUNG?"), std::string::npos) << rows.back();
    EXPECT_TRUE(log.ends_with("*** Ende der Datenaufzeichnung ***\r\n"));
}

}  // namespace
}  // namespace kelvinor
