// The SMTP connection on Windows Sockets, every step within its deadline,
// with TLS through Windows' own Schannel.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include "logger/system/tcp_client.h"

#include <algorithm>
#include <chrono>
#include <functional>

#include "logger/platform/win32/schannel_session.h"
#include "logger/platform/win32/socket_wait.h"

namespace kelvinor {

struct TcpClient::Socket {
    SOCKET handle;
};
struct TcpClient::Tls {
    std::unique_ptr<SchannelSession> session;
};

TcpClient::TcpClient() = default;

TcpClient::~TcpClient() {
    close();
}

bool TcpClient::connect(const std::string& server, int port, int timeoutMs) {
    close();
    const auto deadline = SocketClock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    // The system's resolver has its own time-outs; the connection gets what
    // is left of ours.
    if (getaddrinfo(server.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 ||
        found == nullptr)
        return false;
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) {
        freeaddrinfo(found);
        return false;
    }
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    const int result = ::connect(socket, found->ai_addr, static_cast<int>(found->ai_addrlen));
    freeaddrinfo(found);
    const bool connected = result == 0 || (WSAGetLastError() == WSAEWOULDBLOCK &&
                                           waitForSocket(socket, true, remainingMs(deadline),
                                                         [this] { return givenUp(); }));
    if (!connected) {
        closesocket(socket);
        return false;
    }
    socket_ = std::make_unique<Socket>(Socket{socket});
    return true;
}

bool TcpClient::sendAll(std::string_view data, int timeoutMs) {
    if (!socket_) return false;
    const SOCKET socket = socket_->handle;
    const auto deadline = SocketClock::now() + std::chrono::milliseconds(timeoutMs);
    if (tls_) return tls_->session->send(data, deadline, [this] { return givenUp(); });
    while (!data.empty()) {
        if (!waitForSocket(socket, true, remainingMs(deadline), [this] { return givenUp(); }))
            return false;
        const int piece = data.size() > (1u << 20) ? (1 << 20) : static_cast<int>(data.size());
        const int sent = send(socket, data.data(), piece, 0);
        if (sent == SOCKET_ERROR) {
            if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

long TcpClient::readSome(char* buffer, std::size_t size, int timeoutMs) {
    if (!socket_) return -1;
    const SOCKET socket = socket_->handle;
    if (tls_)
        return tls_->session->read(buffer, size,
                                   SocketClock::now() + std::chrono::milliseconds(timeoutMs),
                                   [this] { return givenUp(); });
    if (!waitForSocket(socket, false, timeoutMs, [this] { return givenUp(); })) {
        // Nothing came in time, unless the connection failed meanwhile.
        u_long waiting = 0;
        return ioctlsocket(socket, FIONREAD, &waiting) == 0 ? 0 : -1;
    }
    const int count = recv(socket, buffer, static_cast<int>(size), 0);
    if (count > 0) return count;
    if (count == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    return -1;  // closed by the server, or failed
}

bool TcpClient::startTls(const std::string& hostName, int timeoutMs) {
    if (!socket_) return false;
    auto session = SchannelSession::handshake(
        socket_->handle, hostName, SocketClock::now() + std::chrono::milliseconds(timeoutMs),
        [this] { return givenUp(); });
    if (!session) {
        close();
        return false;
    }
    tls_ = std::make_unique<Tls>(Tls{std::move(session)});
    return true;
}

void TcpClient::close() {
    tls_.reset();
    if (socket_) closesocket(socket_->handle);
    socket_.reset();
}

}  // namespace kelvinor
