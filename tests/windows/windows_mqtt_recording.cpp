// The Windows edition's MQTT client under Wine: a demonstration recording
// whose rows go to the broker that windows_mqtt_test.sh started on
// 127.0.0.1 (KELVINOR_TEST_BROKER_PORT), which checks what arrived; and TLS,
// which this edition's libmosquitto does not carry, refused without a
// connection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "logger/broker/mosquitto/mosquitto_broker.h"
#include "logger/constants/control_ids.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

int runDemoRecording(Scenario& scenario) {
    scenario.host.connectBroker = [](const BrokerSettings& settings) {
        return connectMosquittoBroker(settings, {2'000, 100, 400, 5'000});
    };
    ScriptedDesktop& d = scenario.desktop;
    d.answerPrompt("Wine");
    d.clickAt(0, startButton);
    d.answerPrompt("S5");
    d.answerPrompt("log.KLV");
    d.clickAt(1090 + 2250LL * 2 + 1000, stopButton);  // after three rows
    d.answerMessage(kAnswerNo);
    return scenario.runStartUp(1);
}

TEST(WindowsMqtt, ARecordingReachesTheBroker) {
    const char* port = std::getenv("KELVINOR_TEST_BROKER_PORT");
    ASSERT_NE(port, nullptr) << "run by windows_mqtt_test.sh";
    TemporaryWorkFolder folder;
    writeFile("KelvMqtt.ini", "BROKER 127.0.0.1:" + std::string(port) + "\nTOPIC kelvinor/wine\n");
    Scenario scenario;
    EXPECT_EQ(runDemoRecording(scenario), 0);
    EXPECT_EQ(logRows(readFile("log.KLV")).size(), 3u);
    EXPECT_NE(readFile("DIGITEMP.LOG").find("\n  connected\n"), std::string::npos)
        << readFile("DIGITEMP.LOG");
}

TEST(WindowsMqtt, TlsIsRefusedWithoutAConnection) {
    const char* port = std::getenv("KELVINOR_TEST_BROKER_PORT");
    ASSERT_NE(port, nullptr) << "run by windows_mqtt_test.sh";
    TemporaryWorkFolder folder;
    writeFile("KelvMqtt.ini", "BROKER 127.0.0.1:" + std::string(port) +
                                  "\nTLS on\nTOPIC kelvinor/tls\nUSER kelvinor\nPASSWORD geheim\n");
    Scenario scenario;
    EXPECT_EQ(runDemoRecording(scenario), 0);
    const std::string busLog = readFile("DIGITEMP.LOG");
    EXPECT_NE(busLog.find("TLS: "), std::string::npos) << busLog;
    EXPECT_EQ(busLog.find("connected"), std::string::npos) << busLog;
}

}  // namespace
}  // namespace kelvinor
