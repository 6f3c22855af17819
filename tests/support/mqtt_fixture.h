#pragma once
// Debian's mosquitto as a real MQTT broker on 127.0.0.1 with a configuration
// of the test's own, and a subscriber on libmosquitto that keeps everything
// the broker delivers.
#include <sys/types.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;

namespace kelvinor::testing {

struct TestBrokerOptions {
    // A TLS listener with this certificate of makeTestCertificates'
    // folder ("localhost", "other", ...) and a password file.
    std::string certificates;
    std::string serverCertificate = "localhost";
    std::string user = "kelvinor", password = "geheim";
};

class TestMqttBroker {
  public:
    // Its files in `folder`; an anonymous listener on port(), and with
    // certificates a TLS listener with a login on tlsPort().
    explicit TestMqttBroker(const std::string& folder, TestBrokerOptions options = {});
    ~TestMqttBroker();
    TestMqttBroker(const TestMqttBroker&) = delete;
    TestMqttBroker& operator=(const TestMqttBroker&) = delete;
    int port() const { return port_; }
    int tlsPort() const { return tlsPort_; }
    // Ends the broker as a service manager does (its sessions saved), and
    // starts it again on the same ports.
    void stop();
    void start();
    // What the broker logged: its clients, their logins and failures.
    std::string log() const;

  private:
    std::string folder_;
    int port_ = 0, tlsPort_ = 0;
    pid_t pid_ = 0;
    int starts_ = 0;
};

struct Received {
    std::string topic, payload;
    bool retained = false;
};

// Subscribes to everything with QoS 1 in a session the broker keeps, so that
// a broker restarted finds it again and holds messages for it meanwhile.
class MqttSubscriber {
  public:
    // `name` tells the subscribers of one test apart.
    explicit MqttSubscriber(int port, const std::string& name = "live");
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;
    std::vector<Received> received() const;
    // The messages of one topic, in their order.
    std::vector<Received> on(const std::string& topic) const;
    // How many came on one topic (without copying them).
    std::size_t count(const std::string& topic) const;
    // Waits (real time, at most `seconds`) until the messages satisfy `condition`.
    bool waitFor(const std::function<bool(const std::vector<Received>&)>& condition,
                 int seconds = 10) const;
    bool subscribed() const;

  private:
    mosquitto* client_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Received> received_;
    std::map<std::string, std::size_t> counts_;
    bool subscribed_ = false;
};

}  // namespace kelvinor::testing
