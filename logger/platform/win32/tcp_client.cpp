// The SMTP connection on Windows Sockets, every step within its deadline.
// TLS is not available on Windows yet: startTls fails, so a KelvEmail.ini
// that asks for it makes the send fail rather than go out in the clear.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include "logger/system/tcp_client.h"

#include <algorithm>
#include <chrono>
#include <functional>

namespace kelvinor {

struct TcpClient::Socket {
    SOCKET handle;
};
struct TcpClient::Tls {};

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Whether the one waiting has given up (asked between the steps of a wait).
using GivenUp = std::function<bool()>;
constexpr int kGiveUpStepMs = TcpClient::kGiveUpStepMs;

// Waits until the socket can be written (or has connected) or read.
bool waitFor(SOCKET socket, bool writing, int timeoutMs, const GivenUp& givenUp) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (givenUp()) return false;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket, &set);
        fd_set failed;
        FD_ZERO(&failed);
        FD_SET(socket, &failed);
        const int step = std::min(remainingMs(deadline), kGiveUpStepMs);
        timeval wait{step / 1000, (step % 1000) * 1000};
        const int ready =
            select(0, writing ? nullptr : &set, writing ? &set : nullptr, &failed, &wait);
        if (ready != 0) return ready > 0 && FD_ISSET(socket, &set) && !FD_ISSET(socket, &failed);
        if (remainingMs(deadline) == 0) return false;
    }
}

}  // namespace

TcpClient::TcpClient() = default;

TcpClient::~TcpClient() {
    close();
}

bool TcpClient::connect(const std::string& server, int port, int timeoutMs) {
    close();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
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
    const bool connected =
        result == 0 || (WSAGetLastError() == WSAEWOULDBLOCK &&
                        waitFor(socket, true, remainingMs(deadline), [this] { return givenUp(); }));
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
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!data.empty()) {
        if (!waitFor(socket, true, remainingMs(deadline), [this] { return givenUp(); }))
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
    if (!waitFor(socket, false, timeoutMs, [this] { return givenUp(); })) {
        // Nothing came in time, unless the connection failed meanwhile.
        u_long waiting = 0;
        return ioctlsocket(socket, FIONREAD, &waiting) == 0 ? 0 : -1;
    }
    const int count = recv(socket, buffer, static_cast<int>(size), 0);
    if (count > 0) return count;
    if (count == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    return -1;  // closed by the server, or failed
}

bool TcpClient::startTls(const std::string&, int) {
    close();
    return false;
}

void TcpClient::close() {
    if (socket_) closesocket(socket_->handle);
    socket_.reset();
    tls_.reset();
}

}  // namespace kelvinor
