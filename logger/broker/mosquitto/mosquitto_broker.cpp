#include "logger/broker/mosquitto/mosquitto_broker.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "logger/system/bus_log.h"

namespace kelvinor {
namespace {

using Steady = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

constexpr int kQos = 1;
constexpr int kKeepAliveSeconds = 30;
constexpr int kLoopMs = 50;  // the longest a queued row waits to be handed over
// Rows are handed to the client while fewer messages than this wait for the
// broker's acknowledgement: a broker that is slow to answer holds no more.
constexpr int kUnacknowledgedMost = 500;

// "10.0 s"
std::string secondsText(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

// What the program's thread and the client's thread share.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<RowMessagesMaker> rows;
    std::optional<MqttMessages> announcement;
    bool announcementNew = false;
    bool rowsDropped = false;
    bool ending = false;
    bool ended = false;
};

// The client's thread: connects, hands over what is queued, reconnects.
class Connection {
  public:
    Connection(BrokerSettings settings, BrokerTimeouts timeouts, std::shared_ptr<Shared> shared)
        : settings_(std::move(settings)), timeouts_(timeouts), shared_(std::move(shared)) {}

    void run() {
        client_ = mosquitto_new(settings_.clientId.c_str(), true, this);
        if (client_ == nullptr) {
            report("no MQTT client: " + std::string(std::strerror(errno)));
        } else {
            configure();
            serve();
            mosquitto_destroy(client_);
        }
        const std::lock_guard lock(shared_->mutex);
        shared_->ended = true;
        shared_->changed.notify_all();
    }

  private:
    enum class State { Waiting, Connecting, Connected };

    void configure() {
        mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        // Small messages go out at once instead of waiting for the broker's
        // acknowledgements of the ones before (rows that waited for a broker
        // that was away are handed over in seconds, not minutes).
        mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
        const std::string offline = "offline";
        mosquitto_will_set(client_, settings_.statusTopic.c_str(), static_cast<int>(offline.size()),
                           offline.data(), kQos, true);
        if (!settings_.user.empty() || !settings_.password.empty())
            mosquitto_username_pw_set(
                client_, settings_.user.c_str(),
                settings_.password.empty() ? nullptr : settings_.password.c_str());
        if (settings_.tls) {
            // The broker's certificate must chain to the given file or the
            // system's store and name the host; libmosquitto checks both.
            const bool ownFile = !settings_.caFile.empty();
            const int rc =
                mosquitto_tls_set(client_, ownFile ? settings_.caFile.c_str() : nullptr,
                                  ownFile ? nullptr : "/etc/ssl/certs", nullptr, nullptr, nullptr);
            if (rc != MOSQ_ERR_SUCCESS) tlsSetupError_ = errorText(rc);
            mosquitto_tls_insecure_set(client_, false);
        }
        mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int rc) {
            static_cast<Connection*>(self)->connack_ = rc;
        });
        mosquitto_publish_callback_set(client_, [](mosquitto*, void* self, int) {
            int& waiting = static_cast<Connection*>(self)->unacknowledged_;
            waiting = std::max(0, waiting - 1);
        });
        mosquitto_log_callback_set(client_,
                                   [](mosquitto*, void* self, int level, const char* text) {
                                       if (level == MOSQ_LOG_ERR && text != nullptr)
                                           static_cast<Connection*>(self)->lastLibraryError_ = text;
                                   });
    }

    void serve() {
        State state = State::Waiting;
        Steady::time_point nextTry = Steady::now(), answerBy;
        int retryMs = timeouts_.firstRetryMs;
        bool everStarted = false;
        const auto fail = [&](const std::string& why) {
            report(why);
            mosquitto_disconnect(client_);
            state = State::Waiting;
            nextTry = Steady::now() + Milliseconds(retryMs);
            retryMs = std::min(retryMs * 2, timeouts_.longestRetryMs);
        };
        // The clean end waits for a connection under way, within its time.
        std::optional<Steady::time_point> endBy;
        for (;;) {
            if (ending()) {
                if (!endBy) endBy = Steady::now() + Milliseconds(timeouts_.endMs);
                if (state != State::Connecting || Steady::now() >= *endBy) break;
            }
            if (state == State::Waiting) {
                waitUntil(nextTry);
                if (ending()) break;
                if (!tlsSetupError_.empty()) {
                    report("TLS: " + tlsSetupError_);
                    waitUntil(Steady::time_point::max());
                    break;
                }
                connack_ = -1;
                lastLibraryError_.clear();
                const int rc = everStarted
                                   ? mosquitto_reconnect_async(client_)
                                   : mosquitto_connect_async(client_, settings_.host.c_str(),
                                                             settings_.port, kKeepAliveSeconds);
                everStarted = true;
                if (rc != MOSQ_ERR_SUCCESS) {
                    fail("no connection: " + errorText(rc));
                    continue;
                }
                state = State::Connecting;
                answerBy = Steady::now() + Milliseconds(timeouts_.answerMs);
            }
            const int rc = mosquitto_loop(client_, kLoopMs, 1);
            if (state == State::Connecting) {
                if (connack_ == 0) {
                    state = State::Connected;
                    retryMs = timeouts_.firstRetryMs;
                    unacknowledged_ = 0;
                    report("connected");
                    publish({settings_.statusTopic, "online", true});
                    announceAgain_ = true;
                    handOver();
                } else if (connack_ > 0) {
                    fail("the broker refused the connection: " +
                         std::string(mosquitto_connack_string(connack_)));
                } else if (rc != MOSQ_ERR_SUCCESS) {
                    fail("no connection: " + errorText(rc));
                } else if (Steady::now() >= answerBy) {
                    fail("no answer within " + secondsText(timeouts_.answerMs));
                }
                continue;
            }
            if (rc != MOSQ_ERR_SUCCESS) {
                fail("connection lost: " + errorText(rc));
                continue;
            }
            handOver();
        }
        if (state == State::Connected) endCleanly(*endBy);
    }

    // The announcement after each connect, then the rows in their order.
    void handOver() {
        std::unique_lock lock(shared_->mutex);
        if (shared_->rowsDropped) {
            shared_->rowsDropped = false;
            lock.unlock();
            report("more than " + std::to_string(MessageBroker::kRowsKept) +
                   " rows waited: the oldest were left out");
            lock.lock();
        }
        if (shared_->announcement && (announceAgain_ || shared_->announcementNew)) {
            const MqttMessages announcement = *shared_->announcement;
            shared_->announcementNew = false;
            announceAgain_ = false;
            lock.unlock();
            for (const MqttMessage& message : announcement) publish(message);
            lock.lock();
        }
        announceAgain_ = false;
        while (!shared_->rows.empty() && unacknowledged_ < kUnacknowledgedMost) {
            const RowMessagesMaker row = std::move(shared_->rows.front());
            shared_->rows.pop_front();
            lock.unlock();
            for (const MqttMessage& message : row()) publish(message);
            lock.lock();
        }
    }

    // The rows still waiting and "offline" (the will is for an end that is
    // not clean), within the end's time.
    void endCleanly(Steady::time_point endBy) {
        const auto loopUntil = [&](auto done) {
            while (!done() && Steady::now() < endBy)
                if (mosquitto_loop(client_, kLoopMs, 1) != MOSQ_ERR_SUCCESS) return false;
            return done();
        };
        bool alive = true;
        for (;;) {
            {
                const std::lock_guard lock(shared_->mutex);
                if (shared_->rows.empty()) break;
            }
            handOver();
            alive = loopUntil([&] { return unacknowledged_ < kUnacknowledgedMost; });
            if (!alive) return;
        }
        publish({settings_.statusTopic, "offline", true});
        if (loopUntil([&] { return unacknowledged_ == 0; })) {
            mosquitto_disconnect(client_);
            mosquitto_loop(client_, kLoopMs, 1);
        }
    }

    void publish(const MqttMessage& message) {
        const int rc = mosquitto_publish(client_, nullptr, message.topic.c_str(),
                                         static_cast<int>(message.payload.size()),
                                         message.payload.data(), kQos, message.retained);
        if (rc == MOSQ_ERR_SUCCESS) ++unacknowledged_;
    }

    bool ending() {
        const std::lock_guard lock(shared_->mutex);
        return shared_->ending;
    }

    // Sleeps until `when`, the end or a new row, whichever comes first.
    void waitUntil(Steady::time_point when) {
        std::unique_lock lock(shared_->mutex);
        shared_->changed.wait_until(lock, when, [&] { return shared_->ending; });
    }

    std::string errorText(int rc) const {
        if (!lastLibraryError_.empty()) return lastLibraryError_;
        if (rc == MOSQ_ERR_ERRNO) return std::strerror(errno);
        return mosquitto_strerror(rc);
    }

    // Only changes of the connection's state reach the bus log.
    void report(const std::string& what) {
        if (what == lastReport_) return;
        lastReport_ = what;
        appendBusLog("MQTT (" + settings_.host + ":" + std::to_string(settings_.port) + "):", what);
    }

    const BrokerSettings settings_;
    const BrokerTimeouts timeouts_;
    const std::shared_ptr<Shared> shared_;
    mosquitto* client_ = nullptr;
    int connack_ = -1;  // the broker's answer to the connection: 0 accepted
    int unacknowledged_ = 0;
    bool announceAgain_ = false;
    std::string tlsSetupError_, lastLibraryError_, lastReport_;
};

class MosquittoBroker final : public MessageBroker {
  public:
    MosquittoBroker(const BrokerSettings& settings, const BrokerTimeouts& timeouts)
        : shared_(std::make_shared<Shared>()), endMs_(timeouts.endMs) {
        static std::once_flag libraryStarted;
        std::call_once(libraryStarted, [] { mosquitto_lib_init(); });
        auto connection = std::make_shared<Connection>(settings, timeouts, shared_);
        thread_ = std::thread([connection] { connection->run(); });
    }

    // Waits for the clean end a little longer than it may take; a client
    // stuck beyond that (a name lookup that hangs) is left to the process's end.
    ~MosquittoBroker() override {
        std::unique_lock lock(shared_->mutex);
        shared_->ending = true;
        shared_->changed.notify_all();
        const bool ended = shared_->changed.wait_for(lock, Milliseconds(endMs_ + 500),
                                                     [&] { return shared_->ended; });
        lock.unlock();
        if (ended)
            thread_.join();
        else
            thread_.detach();
    }

    void announce(MqttMessages messages) override {
        const std::lock_guard lock(shared_->mutex);
        shared_->announcement = std::move(messages);
        shared_->announcementNew = true;
    }

    void publishRow(RowMessagesMaker row) override {
        const std::lock_guard lock(shared_->mutex);
        shared_->rows.push_back(std::move(row));
        if (shared_->rows.size() > kRowsKept) {
            shared_->rows.pop_front();
            shared_->rowsDropped = true;
        }
    }

  private:
    std::shared_ptr<Shared> shared_;
    int endMs_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<MessageBroker> connectMosquittoBroker(const BrokerSettings& settings,
                                                      const BrokerTimeouts& timeouts) {
    return std::make_unique<MosquittoBroker>(settings, timeouts);
}

}  // namespace kelvinor
