#pragma once
// TLS on a connected socket through Windows' own Schannel (SSPI): the
// handshake, then every byte sent encrypted and every byte read decrypted.
// The socket stays non-blocking; each step waits for it within its deadline
// and ends at once when the one waiting gives up.
// clang-format off
#include <winsock2.h>
#define SECURITY_WIN32
#include <security.h>
#include <schannel.h>
// clang-format on

#include <memory>
#include <string>
#include <string_view>

#include "logger/platform/win32/socket_wait.h"

namespace kelvinor {

class SchannelSession {
  public:
    // The handshake as the client of `serverName` (also sent as the server
    // name); null when it fails, runs out of time, is given up, gets less
    // than TLS 1.2, or the server's certificate is not trusted for the name.
    static std::unique_ptr<SchannelSession> handshake(SOCKET socket, const std::string& serverName,
                                                      SocketClock::time_point deadline,
                                                      const GivenUp& givenUp);
    ~SchannelSession();
    SchannelSession(const SchannelSession&) = delete;
    SchannelSession& operator=(const SchannelSession&) = delete;

    bool send(std::string_view data, SocketClock::time_point deadline, const GivenUp& givenUp);
    // As TcpClient::readSome: the count read, 0 when nothing came in time,
    // -1 when the connection is closed or failed.
    long read(char* buffer, std::size_t size, SocketClock::time_point deadline,
              const GivenUp& givenUp);

  private:
    explicit SchannelSession(SOCKET socket) : socket_(socket) {}
    bool runHandshake(const std::wstring& target, SocketClock::time_point deadline,
                      const GivenUp& givenUp);
    bool sendRaw(const char* data, std::size_t size, SocketClock::time_point deadline,
                 const GivenUp& givenUp);
    // Reads what the socket has into `encrypted_`: 1 when bytes came, 0 when
    // none came in time, -1 when the connection closed or failed.
    int receiveMore(SocketClock::time_point deadline, const GivenUp& givenUp);

    SOCKET socket_;
    std::wstring target_;  // the server's name, as the handshake needs it each step
    CredHandle credentials_{};
    CtxtHandle context_{};
    bool haveCredentials_ = false;
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::string encrypted_;  // received, not yet decrypted
    std::string plain_;      // decrypted, not yet handed out
};

}  // namespace kelvinor
