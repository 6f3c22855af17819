// What publishing to an MQTT broker adds to a recording of 61 sensors, side
// by side with publishing off: the time the cycle spends handing a row over
// (a broker that takes everything, one that is down, one that never
// answers), how long the broker takes to have the rows, and the process's
// resident memory with the connection and 1000 rows waiting.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "logger/broker/mosquitto/mosquitto_broker.h"
#include "logger/features/mqtt/mqtt_publishing.h"
#include "tests/support/mqtt_fixture.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

using namespace kelvinor;
using namespace kelvinor::testing;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kSensors = 61;
constexpr int kRows = 1000;

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    return 0;
}

void fillState(ProgramState& state) {
    for (int k = 1; k <= kSensors; ++k) {
        char rom[17];
        std::snprintf(rom, sizeof rom, "10%012X%02X", k * 7919, k);
        state.sensors.push_back({rom, "Sensor " + std::to_string(k), 25.0, 5.0});
        state.lastReadings.readings.push_back({20.0 + k / 8.0, Fault::None, ""});
    }
    state.alarms = {{1, AlarmKind::Warm}, {61, AlarmKind::Cold}};
    state.measurementTitle = "Kühlhaus";
    state.intervalMs = 60'000;
}

struct Run {
    double medianUs = 0, slowestUs = 0;
    long addedKb = 0;
};

// Hands kRows rows over as the recording cycle does; `settings` empty: MQTT off.
Run publishRows(const std::string& settings, MqttSubscriber* arrivals = nullptr,
                const std::string& rowTopic = "") {
    Scenario scenario;
    scenario.host.connectBroker = [](const BrokerSettings& s) { return connectMosquittoBroker(s); };
    std::filesystem::remove("KelvMqtt.ini");
    if (!settings.empty()) writeFile("KelvMqtt.ini", settings);
    ProgramState& state = scenario.state;
    fillState(state);
    const long before = residentKb();
    startMqtt(state, scenario.host);
    std::vector<double> us;
    const Steady::time_point start = Steady::now();
    for (int row = 0; row < kRows; ++row) {
        state.rowTimestamp = 1'796'000'000 + row * 60;
        const Steady::time_point t = Steady::now();
        publishRow(state, scenario.host);
        us.push_back(std::chrono::duration<double, std::micro>(Steady::now() - t).count());
    }
    Run run;
    run.addedKb = residentKb() - before;
    if (arrivals != nullptr) {
        const bool all = eventually([&] { return arrivals->count(rowTopic) >= kRows; }, 120);
        const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
        std::printf("  a subscriber had %s %d rows (%d messages each) after %.2f s\n",
                    all ? "all" : "not yet all", kRows, 2 * kSensors + 3, seconds);
    }
    std::sort(us.begin(), us.end());
    run.medianUs = us[us.size() / 2];
    run.slowestUs = us.back();
    state.broker.reset();
    return run;
}

// Each mode in a process of its own, so that none inherits another's memory.
void measure(const char* what, const std::function<Run()>& publish) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const Run run = publish();
        std::printf("%-48s %10.1f %12.1f %14ld\n", what, run.medianUs, run.slowestUs, run.addedKb);
        std::fflush(stdout);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

}  // namespace

int main() {
    TemporaryWorkFolder folder;
    std::filesystem::create_directory("broker");
    TestMqttBroker broker(std::filesystem::absolute("broker").string());
    SilentListener silent;
    const std::string topic = "TOPIC kelvinor/bench\n";
    std::printf("%d sensors, %d rows handed over as the recording cycle does\n", kSensors, kRows);
    const std::string at = "BROKER 127.0.0.1:";
    std::printf("%-48s %10s %12s %14s\n", "", "median µs", "slowest µs", "resident +KB");
    measure("MQTT off", [] { return publishRows(""); });
    measure("MQTT on, broker takes every row", [&] {
        MqttSubscriber subscriber(broker.port());
        return publishRows(at + std::to_string(broker.port()) + "\n" + topic, &subscriber,
                           "kelvinor/bench/row");
    });
    measure("MQTT on, broker down (1000 rows kept)",
            [&] { return publishRows(at + std::to_string(freeLoopbackPort()) + "\n" + topic); });
    measure("MQTT on, broker never answers (1000 rows kept)",
            [&] { return publishRows(at + std::to_string(silent.port()) + "\n" + topic); });
}
