#include "tests/support/mqtt_fixture.h"

#include <fcntl.h>
#include <mosquitto.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

extern char** environ;

namespace kelvinor::testing {

TestMqttBroker::TestMqttBroker(const std::string& folder, TestBrokerOptions options)
    : folder_(folder), port_(freeLoopbackPort()) {
    // Started by root, mosquitto would become the user "mosquitto", who may
    // not write in the test's folder.
    const passwd* self = getpwuid(geteuid());
    std::string config = "user " + std::string(self != nullptr ? self->pw_name : "root") + "\n";
    // Every message is kept for the subscriber, however many come at once.
    config += "per_listener_settings true\npersistence true\nmax_queued_messages 0\n";
    config += "persistence_location " + folder + "/\n";
    config += "log_dest file " + folder + "/broker.log\nlog_type all\n";
    config += "listener " + std::to_string(port_) + " 127.0.0.1\nallow_anonymous true\n";
    if (!options.certificates.empty()) {
        tlsPort_ = freeLoopbackPort();
        const std::string& c = options.certificates;
        const std::string passwords = folder + "/passwords";
        writeFile(passwords, "");
        const std::string command = "mosquitto_passwd -b '" + passwords + "' '" + options.user +
                                    "' '" + options.password + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("mosquitto_passwd");
        config += "listener " + std::to_string(tlsPort_) + " 127.0.0.1\n" + "cafile " + c +
                  "/ca.pem\ncertfile " + c + "/" + options.serverCertificate + ".pem\nkeyfile " +
                  c + "/" + options.serverCertificate + ".key\n" +
                  "allow_anonymous false\npassword_file " + passwords + "\n";
    }
    writeFile(folder + "/mosquitto.conf", config);
    start();
}

TestMqttBroker::~TestMqttBroker() {
    stop();
}

void TestMqttBroker::start() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Nothing of the broker's holds the test's output open.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string config = folder_ + "/mosquitto.conf";
    char* argv[] = {const_cast<char*>("mosquitto"), const_cast<char*>("-c"),
                    const_cast<char*>(config.c_str()), nullptr};
    const int error = posix_spawn(&pid_, "/usr/sbin/mosquitto", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("mosquitto did not start");
    // Listening once its log says so for every listener.
    const std::size_t listeners = tlsPort_ != 0 ? 2 : 1;
    const bool up = eventually([&] {
        const std::string text = log();
        std::size_t count = 0;
        for (std::size_t at = text.find("Opening ipv4 listen socket on port");
             at != std::string::npos; at = text.find("Opening ipv4 listen socket on port", at + 1))
            ++count;
        return count >= listeners * (1 + starts_);
    });
    ++starts_;
    if (!up)
        throw std::runtime_error("mosquitto does not listen: " + log() +
                                 readFile(folder_ + "/mosquitto.conf"));
}

void TestMqttBroker::stop() {
    if (pid_ == 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
}

std::string TestMqttBroker::log() const {
    return readFile(folder_ + "/broker.log");
}

MqttSubscriber::MqttSubscriber(int port, const std::string& name) {
    mosquitto_lib_init();
    const std::string id = "kelvinor-test-" + name + "-" + std::to_string(getpid());
    client_ = mosquitto_new(id.c_str(), false, this);
    mosquitto_connect_callback_set(client_, [](mosquitto* client, void*, int rc) {
        if (rc == 0) mosquitto_subscribe(client, nullptr, "#", 1);
    });
    mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
        auto* subscriber = static_cast<MqttSubscriber*>(self);
        const std::lock_guard lock(subscriber->mutex_);
        subscriber->subscribed_ = true;
    });
    mosquitto_message_callback_set(client_, [](mosquitto*, void* self,
                                               const mosquitto_message* message) {
        auto* subscriber = static_cast<MqttSubscriber*>(self);
        const std::lock_guard lock(subscriber->mutex_);
        ++subscriber->counts_[message->topic];
        subscriber->received_.push_back({message->topic,
                                         std::string(static_cast<const char*>(message->payload),
                                                     static_cast<std::size_t>(message->payloadlen)),
                                         message->retain});
    });
    mosquitto_reconnect_delay_set(client_, 1, 1, false);
    mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
    if (mosquitto_connect(client_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(client_) != MOSQ_ERR_SUCCESS ||
        !eventually([&] { return subscribed(); }))
        throw std::runtime_error("the subscriber did not connect");
}

MqttSubscriber::~MqttSubscriber() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
}

bool MqttSubscriber::subscribed() const {
    const std::lock_guard lock(mutex_);
    return subscribed_;
}

std::vector<Received> MqttSubscriber::received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

std::vector<Received> MqttSubscriber::on(const std::string& topic) const {
    std::vector<Received> found;
    for (const Received& message : received())
        if (message.topic == topic) found.push_back(message);
    return found;
}

std::size_t MqttSubscriber::count(const std::string& topic) const {
    const std::lock_guard lock(mutex_);
    const auto found = counts_.find(topic);
    return found == counts_.end() ? 0 : found->second;
}

bool MqttSubscriber::waitFor(const std::function<bool(const std::vector<Received>&)>& condition,
                             int seconds) const {
    return eventually([&] { return condition(received()); }, seconds);
}

}  // namespace kelvinor::testing
