// Sensors served by a real OWFS owserver (its fake adapter) on a loopback
// port, read by the real batch files through owdir/owread/owwrite.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "logger/features/bus/measurement.h"
#include "logger/seams/control_ids.h"
#include "tests/support/onewire_fixture.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

extern char** environ;

namespace kelvinor {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// owserver --fake=10,10,28: two DS18S20 and a DS18B20 with made-up readings.
class FakeOwserver {
  public:
    FakeOwserver() : port_(freeLoopbackPort()) {
        const std::string listen = "127.0.0.1:" + std::to_string(port_);
        const char* argv[] = {"owserver",     "--fake=10,10,28", "-p",   listen.c_str(),
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
    ASSERT_EQ(scenario.state.sensorCount, 3);
    const std::vector<std::string> roms = server.roms();
    ASSERT_EQ(roms.size(), 3u);
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(scenario.state.sensors.sensorLine[6 + k].substr(0, 16), roms[k - 1]) << k;
    EXPECT_NE(readFile("digitemp.cfg").find("\nREAD_TIME 100\f"), std::string::npos);
    instantQuery(scenario.state, scenario.host);
    const std::vector<double> values = dataLineValues();
    ASSERT_EQ(values.size(), 3u) << readFile("DATALINE.TXT");
    for (double v : values) {  // the fake adapter's range
        EXPECT_GE(v, 0.0);
        EXPECT_LE(v, 100.0);
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
