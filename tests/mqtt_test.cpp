// Readings to an MQTT broker: the settings file, the messages made of a row,
// and demonstration recordings against Debian's mosquitto on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "logger/broker/mosquitto/mosquitto_broker.h"
#include "logger/constants/control_ids.h"
#include "logger/features/mqtt/mqtt_messages.h"
#include "logger/features/mqtt/mqtt_settings.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"
#include "tests/support/mqtt_fixture.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

namespace kelvinor {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Json = nlohmann::json;

TEST(MqttSettings, TheFileAndItsDefaults) {
    struct Case {
        std::string file;
        std::optional<std::string> brokerHostPortTopic;  // absent: publishing stays off
        std::vector<std::string> notes;
    };
    const Case cases[] = {
        {"BROKER mqtt.example.de\n", "mqtt.example.de 1883 kelvinor/pi", {}},
        {"# Keller\nBROKER mqtt.example.de\nTLS on\nTOPIC kelvinor/keller/\n",
         "mqtt.example.de 8883 kelvinor/keller",
         {}},
        {"broker 10.0.0.2:1884\r\nTLS off\r\nDISCOVERY off\r\n", "10.0.0.2 1884 kelvinor/pi", {}},
        {"BROKER [::1]:1885\nUSER u\nPASSWORD p w\n", "::1 1885 kelvinor/pi", {}},
        {"BROKER ::1\n", "::1 1883 kelvinor/pi", {}},
        {"BROKER 127.0.0.1\nUSER kelvinor\nPASSWORD geheim\n", "127.0.0.1 1883 kelvinor/pi", {}},
        {"BROKER h\nQOS 2\n", "h 1883 kelvinor/pi", {"line 2: unknown key 'QOS' ignored"}},
        {"TOPIC k\xC3\xBChl\n BROKER h\n", "h 1883 k\xC3\xBChl", {}},
        {"TOPIC k\xFChl\nBROKER h\n", "h 1883 k\xC3\xBChl", {}},  // CP1252
        // Refused: nothing is sent.
        {"", std::nullopt, {"no BROKER line"}},
        {"BROKER mqtt.example.de\nUSER kelvinor\nPASSWORD geheim\n",
         std::nullopt,
         {"a login goes to mqtt.example.de only with TLS on: nothing is sent"}},
        {"BROKER h:0\n", std::nullopt, {"line 1: no host[:port] in 'h:0'"}},
        {"BROKER h:99999\n", std::nullopt, {"line 1: no host[:port] in 'h:99999'"}},
        {"BROKER h:\n", std::nullopt, {"line 1: no host[:port] in 'h:'"}},
        {"BROKER h\nTLS vielleicht\n",
         std::nullopt,
         {"line 2: TLS takes on or off, not 'vielleicht'"}},
        {"BROKER h\nTOPIC kelvinor/#\n",
         std::nullopt,
         {"line 2: not a topic to publish under: 'kelvinor/#'"}},
    };
    for (const Case& c : cases) {
        const ParsedMqttSettings parsed = parseMqttSettings(c.file, "pi");
        EXPECT_EQ(parsed.notes, c.notes) << c.file;
        ASSERT_EQ(parsed.settings.has_value(), c.brokerHostPortTopic.has_value()) << c.file;
        if (!parsed.settings) continue;
        const MqttSettings& s = *parsed.settings;
        EXPECT_EQ(s.broker.host + " " + std::to_string(s.broker.port) + " " + s.topic,
                  *c.brokerHostPortTopic)
            << c.file;
    }
    const MqttSettings full = *parseMqttSettings(
                                   "BROKER h\nTLS on\nCAFILE /ca.pem\nUSER u\n"
                                   "PASSWORD p w\nDISCOVERY off\n",
                                   "pi")
                                   .settings;
    EXPECT_TRUE(full.broker.tls);
    EXPECT_EQ(full.broker.caFile, "/ca.pem");
    EXPECT_EQ(full.broker.user + "|" + full.broker.password, "u|p w");
    EXPECT_FALSE(full.discovery);
}

TEST(MqttMessages, ARowAndTheDiscovery) {
    const SensorTable sensors = {{"10A8B16B0108005D", "K\xFChlraum", 8.0, 2.0},
                                 {"DemoSensor 2",
                                  "Au\xDF"
                                  "en",
                                  126.0, -56.0},
                                 {"10FF000000000011", "Rohr", 126.0, 0.0}};
    const SensorReadings readings{"0\t21.5\t85.00\t-1.25",
                                  {{21.5, Fault::None, "21.5"},
                                   {85.0, Fault::SensorCode, "85.00"},
                                   {-1.25, Fault::None, "-1.25"}}};
    const Alarms alarms = {{1, AlarmKind::Warm}, {2, AlarmKind::Fault}, {3, AlarmKind::Cold}};
    LocalTime time{2026, 12, 9, 7, 5, 3, 3, -12600};
    const MqttMessages row =
        rowMessages("kelvinor/keller", {sensors, readings, alarms, time, "K\xFChlraum Nord"});
    const MqttMessages expected = {
        {"kelvinor/keller/sensor/10A8B16B0108005D/temperature", "21.50", true},
        {"kelvinor/keller/sensor/10A8B16B0108005D/alarm", "warm", true},
        {"kelvinor/keller/sensor/DemoSensor_2/alarm", "fault", true},  // no temperature
        {"kelvinor/keller/sensor/10FF000000000011/temperature", "-1.25", true},
        {"kelvinor/keller/sensor/10FF000000000011/alarm", "cold", true},
        {"kelvinor/keller/row",
         R"({"time":"2026-12-09T07:05:03-03:30","title":"Kühlraum Nord","sensors":[)"
         R"({"rom":"10A8B16B0108005D","alias":"Kühlraum","value":21.5,"alarm":"warm"},)"
         R"({"rom":"DemoSensor 2","alias":"Außen","value":null,"alarm":"fault"},)"
         R"({"rom":"10FF000000000011","alias":"Rohr","value":-1.25,"alarm":"cold"}]})",
         false},
        {"kelvinor/keller/alarm", "'+' an Sensor Nr. 1/'Kühlraum'", false},
        {"kelvinor/keller/alarm", "FEHLMESSUNG? (Sensor Nr. 2/ID DemoSensor 2/'Außen')", false},
        {"kelvinor/keller/alarm", "'-' an Sensor Nr. 3/'Rohr'", false},
    };
    EXPECT_EQ(row, expected);
    time.utcOffsetSeconds = 3600;
    EXPECT_EQ(isoLocalTime(time), "2026-12-09T07:05:03+01:00");

    const MqttMessages discovery =
        discoveryMessages("kelvinor/keller", sensors, 300'000, "Kelvinor");
    ASSERT_EQ(discovery.size(), 6u);
    const Json temperature = Json::parse(discovery[2].payload);
    EXPECT_EQ(discovery[2].topic, "homeassistant/sensor/kelvinor_keller_DemoSensor_2/config");
    EXPECT_TRUE(discovery[2].retained);
    EXPECT_EQ(temperature["name"], "Außen");
    EXPECT_EQ(temperature["unique_id"], "kelvinor_keller_DemoSensor_2");
    EXPECT_EQ(temperature["state_topic"], "kelvinor/keller/sensor/DemoSensor_2/temperature");
    EXPECT_EQ(temperature["device_class"], "temperature");
    EXPECT_EQ(temperature["state_class"], "measurement");
    EXPECT_EQ(temperature["unit_of_measurement"], "°C");
    EXPECT_EQ(temperature["availability_topic"], "kelvinor/keller/status");
    EXPECT_EQ(temperature["expire_after"], 900);
    EXPECT_EQ(temperature["device"]["identifiers"], Json::array({"kelvinor_keller"}));
    EXPECT_EQ(temperature["device"]["model"], "Kelvinor");
    EXPECT_FALSE(temperature["device"]["sw_version"].get<std::string>().empty());
    const Json problem = Json::parse(discovery[3].payload);
    EXPECT_EQ(discovery[3].topic,
              "homeassistant/binary_sensor/kelvinor_keller_DemoSensor_2/config");
    EXPECT_EQ(problem["device_class"], "problem");
    EXPECT_EQ(problem["state_topic"], "kelvinor/keller/sensor/DemoSensor_2/alarm");
    EXPECT_EQ(problem["device"], temperature["device"]);
    // Before a recording there is no interval: nothing expires.
    EXPECT_FALSE(Json::parse(discoveryMessages("kelvinor/keller", sensors, 0, "K")[0].payload)
                     .contains("expire_after"));
    // Bytes that are no text of the program's (a bus tool's odd ROM) cannot break the JSON.
    const SensorTable odd = {{"\xFF\xFE", "x"}};
    const SensorReadings none{"0", {}};
    EXPECT_NO_THROW(rowMessages("t", {odd, none, {}, time, ""}));
    EXPECT_EQ(topicNameOf("a/b+c#d e"), "a_b_c_d_e");
}

// Short waits for the connection, and time enough at the end to hand over
// every row on a busy machine.
BrokerTimeouts quick() {
    return {500, 100, 400, 5'000};
}

// A demonstration recording with the warm alarm on sensor 1 and the cold
// alarm on sensor 3, the aliases named in the editor, `rows` rows.
struct MqttRecording {
    TemporaryWorkFolder folder;
    Scenario scenario;
    std::function<void(int row)> afterRow;  // real time may pass there

    int run(int rows = 3) {
        scenario.host.connectBroker = [](const BrokerSettings& settings) {
            return connectMosquittoBroker(settings, quick());
        };
        ScriptedDesktop& d = scenario.desktop;
        d.answerPrompt("Keller");
        d.clickAt(0, renameButton);
        for (const char* alias : {"Vorlauf",
                                  "R\xFC"
                                  "cklauf",
                                  "Au\xDF"
                                  "en"})
            d.answerPrompt(alias);
        d.clickAt(0, thresholdsButton);
        for (const char* answer : {"4", "-56", "126", "-56", "126", "0"}) d.answerPrompt(answer);
        d.clickAt(0, startButton);
        d.answerPrompt("S5");
        d.answerPrompt("log.KLV");
        for (int m = 0; m < rows; ++m)
            d.doAt(1090 + 2250LL * m + 1, [this, m] {
                if (afterRow) afterRow(m + 1);
            });
        d.clickAt(1090 + 2250LL * (rows - 1) + 1000, stopButton);
        d.answerMessage(kAnswerNo);
        return scenario.runStartUp(1);
    }
};

fs::path brokerFolder() {
    fs::create_directories("broker");
    return fs::absolute("broker");
}

// The log's readings of one sensor, with decimal points.
std::vector<std::string> logValues(const std::string& log, int sensor) {
    std::vector<std::string> values;
    for (const std::string& row : logRows(log)) {
        std::size_t at = 0;
        for (int field = 0; field < sensor + 1; ++field) at = row.find('\t', at) + 1;
        values.push_back(withDecimalPoint(row.substr(at, row.find('\t', at) - at)));
    }
    return values;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::vector<std::string> payloads(const std::vector<Received>& messages) {
    std::vector<std::string> texts;
    for (const Received& m : messages) texts.push_back(m.payload);
    return texts;
}

TEST(Mqtt, ADemonstrationRecordingArrivesAtTheBroker) {
    MqttRecording r;
    TestMqttBroker broker(brokerFolder().string());
    MqttSubscriber live(broker.port());
    writeFile("KelvMqtt.ini",
              "BROKER 127.0.0.1:" + std::to_string(broker.port()) + "\nTOPIC kelvinor/keller\n");
    ASSERT_EQ(r.run(), 0);
    const std::string t = "kelvinor/keller/";
    ASSERT_TRUE(live.waitFor([&](const auto&) {
        const std::vector<Received> status = live.on(t + "status");
        return !status.empty() && status.back().payload == "offline";
    })) << "no clean end";
    EXPECT_EQ(payloads(live.on(t + "status")), (std::vector<std::string>{"online", "offline"}));

    // Every row's readings, as the log has them, and the alarm states.
    const std::string log = readFile("log.KLV");
    ASSERT_EQ(logRows(log).size(), 3u);
    for (int k = 1; k <= 3; ++k) {
        const std::string sensor = t + "sensor/DemoSensor_" + std::to_string(k) + "/";
        EXPECT_EQ(payloads(live.on(sensor + "temperature")), logValues(log, k)) << k;
        const char* state = k == 1 ? "warm" : k == 3 ? "cold" : "none";
        EXPECT_EQ(payloads(live.on(sensor + "alarm")), std::vector<std::string>(3, state)) << k;
    }
    const std::vector<Received> rows = live.on(t + "row");
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Json row = Json::parse(rows[i].payload);
        const std::string time = logRows(log)[i].substr(11, 8);
        EXPECT_EQ(row["time"], "2026-12-06T" + time + "+01:00");
        EXPECT_EQ(row["title"], "Keller");
        EXPECT_EQ(row["sensors"][1]["alias"], "Rücklauf");
        EXPECT_EQ(row["sensors"][0]["value"].get<double>(), std::stod(logValues(log, 1)[i]));
        EXPECT_EQ(row["sensors"][2]["alarm"], "cold");
    }
    EXPECT_EQ(
        payloads(live.on(t + "alarm")),
        (std::vector<std::string>{"'+' an Sensor Nr. 1/'Vorlauf'", "'-' an Sensor Nr. 3/'Außen'",
                                  "'+' an Sensor Nr. 1/'Vorlauf'", "'-' an Sensor Nr. 3/'Außen'",
                                  "'+' an Sensor Nr. 1/'Vorlauf'", "'-' an Sensor Nr. 3/'Außen'"}));
    // The discovery with the aliases from the editor and the readings
    // expiring after three intervals (3 x 5 s).
    const std::vector<Received> configs =
        live.on("homeassistant/sensor/kelvinor_keller_DemoSensor_3/config");
    ASSERT_FALSE(configs.empty());
    EXPECT_EQ(Json::parse(configs.back().payload)["name"], "Außen");
    EXPECT_EQ(Json::parse(configs.back().payload)["expire_after"], 15);
    EXPECT_EQ(Json::parse(live.on("homeassistant/binary_sensor/kelvinor_keller_DemoSensor_3/config")
                              .back()
                              .payload)["device_class"],
              "problem");

    // A client that comes later finds the last state kept by the broker.
    MqttSubscriber later(broker.port(), "later");
    // The status, three temperatures, three alarm states, six configurations.
    ASSERT_TRUE(later.waitFor([](const auto& m) { return m.size() >= 13; }));
    for (const Received& m : later.received()) EXPECT_TRUE(m.retained) << m.topic;
    EXPECT_EQ(payloads(later.on(t + "status")), std::vector<std::string>{"offline"});
    EXPECT_EQ(payloads(later.on(t + "sensor/DemoSensor_1/temperature")),
              std::vector<std::string>{logValues(log, 1).back()});
    EXPECT_TRUE(later.on(t + "row").empty());
}

TEST(Mqtt, BrokerTroublesNeverTouchTheRecording) {
    // The log of the same recording without MQTT: every case must write it
    // byte for byte, and say its trouble once in the bus log.
    std::string withoutMqtt;
    {
        MqttRecording r;
        ASSERT_EQ(r.run(), 0);
        withoutMqtt = readFile("log.KLV");
        EXPECT_FALSE(fs::exists("DIGITEMP.LOG"));
    }
    fs::create_directory("certificates");
    const std::string certificates = makeTestCertificates(fs::absolute("certificates").string());
    struct Case {
        std::string name;
        std::string serverCertificate;  // of the TLS broker; empty: none
        std::string settings;           // after "BROKER host:"
        std::string said;               // the bus log's line, once
    };
    const std::string tls = "\nTLS on\nCAFILE " + certificates + "/ca.pem\nUSER kelvinor\n";
    const Case cases[] = {
        {"nothing listens", "", "{free}", "no connection: Connection refused"},
        {"a broker that never answers", "", "{silent}", "no answer within 0.5 s"},
        {"a wrong password", "localhost", "{tls}" + tls + "PASSWORD falsch\n",
         "the broker refused the connection: Connection Refused: not authorised."},
        {"a certificate of an unknown authority", "untrusted", "{tls}" + tls + "PASSWORD geheim\n",
         "certificate verify failed"},
        {"a certificate for another name", "other", "{tls}" + tls + "PASSWORD geheim\n",
         "certificate verify failed"},
        {"a login without TLS", "", "192.0.2.1\nUSER kelvinor\nPASSWORD geheim\n",
         "a login goes to 192.0.2.1 only with TLS on: nothing is sent"},
        {"TLS with a login", "localhost", "{tls}" + tls + "PASSWORD geheim\n", "connected"},
    };
    for (const Case& c : cases) {
        MqttRecording r;
        std::optional<TestMqttBroker> broker;
        if (!c.serverCertificate.empty())
            broker.emplace(brokerFolder().string(),
                           TestBrokerOptions{certificates, c.serverCertificate});
        SilentListener silent;
        std::string settings = "BROKER localhost:" + c.settings;
        const auto fill = [&](const std::string& mark, int port) {
            const std::size_t at = settings.find(mark);
            if (at != std::string::npos) settings.replace(at, mark.size(), std::to_string(port));
        };
        fill("{free}", freeLoopbackPort());
        fill("{silent}", silent.port());
        if (broker) fill("{tls}", broker->tlsPort());
        if (c.settings.starts_with("192")) settings = "BROKER " + c.settings;
        writeFile("KelvMqtt.ini", settings);
        std::optional<MqttSubscriber> live;
        if (broker) live.emplace(broker->port());

        ASSERT_EQ(r.run(), 0) << c.name;
        EXPECT_EQ(readFile("log.KLV"), withoutMqtt) << c.name;
        const std::string busLog = readFile("DIGITEMP.LOG");
        EXPECT_EQ(occurrences(busLog, c.said), 1u) << c.name << ":\n" << busLog;
        if (!broker) continue;
        const bool connects = c.said == "connected";
        // The login reaches the broker over TLS it trusts, and never a broker
        // whose certificate was refused.
        const bool loginSeen = broker->log().find("u'kelvinor'") != std::string::npos;
        if (connects) {
            EXPECT_TRUE(loginSeen) << c.name << ":\n" << broker->log();
        }
        if (c.said.find("certificate") != std::string::npos) {
            EXPECT_FALSE(loginSeen) << c.name << ":\n" << broker->log();
        }
        if (connects) {
            EXPECT_TRUE(live->waitFor([](const auto& m) { return m.size() > 20; })) << c.name;
        }
    }
}

TEST(Mqtt, TheBrokerGoneAndBack) {
    std::string withoutMqtt;
    {
        MqttRecording reference;
        ASSERT_EQ(reference.run(5), 0);
        withoutMqtt = readFile("log.KLV");
    }
    MqttRecording r;
    TestMqttBroker broker(brokerFolder().string());
    MqttSubscriber live(broker.port());
    writeFile("KelvMqtt.ini", "BROKER 127.0.0.1:" + std::to_string(broker.port()) + "\n");
    const auto rowsArrived = [&](std::size_t count) {
        return live.waitFor([&](const auto&) {
            return live.on("kelvinor/" + localHostName() + "/row").size() >= count;
        });
    };
    r.afterRow = [&](int row) {
        if (row == 1) {
            EXPECT_TRUE(rowsArrived(1));
            broker.stop();
            // Rows 2 and 3 come while the program knows the broker gone.
            EXPECT_TRUE(eventually([] {
                return readFile("DIGITEMP.LOG").find("connection lost") != std::string::npos;
            }));
        }
        if (row == 3) broker.start();  // rows 2 and 3 waited meanwhile
        if (row == 4) {
            EXPECT_TRUE(rowsArrived(4));
        }
    };
    ASSERT_EQ(r.run(5), 0);
    EXPECT_EQ(readFile("log.KLV"), withoutMqtt);  // every row on time, the stop taken
    ASSERT_TRUE(rowsArrived(5));
    // Each row once, in its order (QoS 1 may bring one twice after a reconnect).
    std::vector<std::string> times;
    for (const Received& m : live.on("kelvinor/" + localHostName() + "/row")) {
        const std::string time = Json::parse(m.payload)["time"];
        if (times.empty() || times.back() != time) times.push_back(time);
    }
    ASSERT_EQ(times.size(), 5u);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    const std::string busLog = readFile("DIGITEMP.LOG");
    EXPECT_EQ(occurrences(busLog, "connection lost"), 1u) << busLog;
    EXPECT_EQ(occurrences(busLog, "\n  connected\n"), 2u) << busLog;
}

TEST(Mqtt, AtMostTheNewest1000RowsWaitForTheBroker) {
    TemporaryWorkFolder folder;
    TestMqttBroker broker(brokerFolder().string());
    MqttSubscriber live(broker.port());  // its session outlives the broker's restart
    broker.stop();
    BrokerSettings settings;
    settings.host = "127.0.0.1";
    settings.port = broker.port();
    settings.clientId = "kelvinor-rows";
    settings.statusTopic = "rows/status";
    std::unique_ptr<MessageBroker> client = connectMosquittoBroker(settings, quick());
    for (int row = 1; row <= 1200; ++row)
        client->publishRow([row] { return MqttMessages{{"rows/row", std::to_string(row)}}; });
    broker.start();
    ASSERT_TRUE(live.waitFor([&](const auto&) { return live.count("rows/row") >= 1000; }, 30));
    client.reset();  // "offline" after the rows
    ASSERT_TRUE(live.waitFor([&](const auto&) { return live.count("rows/status") >= 2; }));
    std::vector<std::string> expected;
    for (int row = 201; row <= 1200; ++row) expected.push_back(std::to_string(row));
    EXPECT_EQ(payloads(live.on("rows/row")), expected);
    EXPECT_EQ(occurrences(readFile("DIGITEMP.LOG"), "more than 1000 rows waited"), 1u);
}

}  // namespace
}  // namespace kelvinor
