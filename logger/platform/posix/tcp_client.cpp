#include "logger/seams/tcp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kelvinor {
namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd ready{fd, events, 0};
    for (;;) {
        const int result = poll(&ready, 1, timeoutMs);
        if (result < 0 && errno == EINTR) continue;
        return result > 0;
    }
}

// The first IPv4 address of a host name. getaddrinfo has no time limit of
// its own, so it runs on a thread of its own that is abandoned (and ends by
// itself later) when the answer does not come in time.
std::optional<in_addr> resolveIpv4(const std::string& server, int timeoutMs) {
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<in_addr> address;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, server] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        std::optional<in_addr> address;
        if (getaddrinfo(server.c_str(), nullptr, &hints, &found) == 0 && found != nullptr)
            address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        if (found != nullptr) freeaddrinfo(found);
        std::lock_guard lock(lookup->mutex);
        lookup->address = address;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    lookup->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return lookup->finished; });
    return lookup->finished ? lookup->address : std::nullopt;
}

}  // namespace

bool TcpClient::connect(const std::string& server, int port, int timeoutMs) {
    close();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, server.c_str(), &address.sin_addr) != 1) {
        if (server.empty()) return false;
        const std::optional<in_addr> found = resolveIpv4(server, timeoutMs);
        if (!found) return false;
        address.sin_addr = *found;
    }
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return false;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS || !waitFor(fd_, POLLOUT, remainingMs(deadline))) {
            close();
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            close();
            return false;
        }
    }
    return true;
}

bool TcpClient::sendAll(std::string_view data, int timeoutMs) {
    if (fd_ < 0) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!data.empty()) {
        const ssize_t sent = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitFor(fd_, POLLOUT, remainingMs(deadline)))
            continue;
        return false;  // an error, or the peer stopped reading until the deadline
    }
    return true;
}

long TcpClient::readSome(char* buffer, std::size_t size, int timeoutMs) {
    if (fd_ < 0) return -1;
    if (!waitFor(fd_, POLLIN, timeoutMs)) return 0;
    for (;;) {
        const ssize_t count = recv(fd_, buffer, size, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return count > 0 ? static_cast<long>(count) : -1;
    }
}

void TcpClient::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace kelvinor
