#pragma once
// A TCP connection with deadlines on every step, for the SMTP dialogue,
// optionally encrypted with TLS once it stands.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelvinor {

class TcpClient {
  public:
    TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;
    ~TcpClient();

    // A dotted IPv4 address, or a host name whose first IPv4 address is used;
    // resolution and connection together take at most `timeoutMs`.
    bool connect(const std::string& server, int port, int timeoutMs);
    // Sends everything or fails; never raises SIGPIPE.
    bool sendAll(std::string_view data, int timeoutMs);
    // Waits at most `timeoutMs` for bytes: the count read, 0 when none came,
    // -1 when the connection is closed or failed.
    long readSome(char* buffer, std::size_t size, int timeoutMs);
    // The TLS handshake on the connection, within `timeoutMs`: the server's
    // certificate must chain to the system's trust store and name `hostName`
    // (also sent as the server name). From then on every byte is encrypted.
    // False, with the connection closed, when the handshake or a check fails
    // or the system has no TLS.
    bool startTls(const std::string& hostName, int timeoutMs);
    void close();

    // Asked between short steps of every wait (connection, sends, replies,
    // handshake): once it says yes, each wait ends at once and fails. A stop
    // click during an alarm e-mail ends the dialogue so.
    void setGiveUp(std::function<bool()> giveUp) { giveUp_ = std::move(giveUp); }
    // The longest a wait goes on before it asks again.
    static constexpr int kGiveUpStepMs = 50;
    // Whether the dialogue was given up; asks the hook when it has not been.
    bool givenUp() {
        if (!givenUp_ && giveUp_ && giveUp_()) givenUp_ = true;
        return givenUp_;
    }

    // The system's socket and TLS state, defined by the platform.
    struct Socket;
    struct Tls;

  private:
    std::unique_ptr<Socket> socket_;  // none while not connected
    std::unique_ptr<Tls> tls_;
    std::function<bool()> giveUp_;
    bool givenUp_ = false;
};

}  // namespace kelvinor
