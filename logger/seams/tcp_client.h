#pragma once
// A TCP connection with deadlines on every step, for the SMTP dialogue.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvinor {

class TcpClient {
  public:
    TcpClient() = default;
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;
    ~TcpClient() { close(); }

    // A dotted IPv4 address, or a host name whose first IPv4 address is used;
    // resolution and connection together take at most `timeoutMs`.
    bool connect(const std::string& server, int port, int timeoutMs);
    // Sends everything or fails; never raises SIGPIPE.
    bool sendAll(std::string_view data, int timeoutMs);
    // Waits at most `timeoutMs` for bytes: the count read, 0 when none came,
    // -1 when the connection is closed or failed.
    long readSome(char* buffer, std::size_t size, int timeoutMs);
    void close();

  private:
    int fd_ = -1;
};

}  // namespace kelvinor
