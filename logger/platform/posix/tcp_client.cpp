#include "logger/system/tcp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
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

// Whether the one waiting has given up (asked between the steps of a wait).
using GivenUp = std::function<bool()>;
constexpr int kGiveUpStepMs = TcpClient::kGiveUpStepMs;

bool waitFor(int fd, short events, int timeoutMs, const GivenUp& givenUp) {
    pollfd ready{fd, events, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (givenUp()) return false;
        const int result = poll(&ready, 1, std::min(remainingMs(deadline), kGiveUpStepMs));
        if (result < 0 && errno == EINTR) continue;
        if (result != 0) return result > 0;
        if (remainingMs(deadline) == 0) return false;
    }
}

// The first IPv4 address of a host name. getaddrinfo has no time limit of
// its own, so it runs on a thread of its own that is abandoned (and ends by
// itself later) when the answer does not come in time.
std::optional<in_addr> resolveIpv4(const std::string& server, int timeoutMs,
                                   const GivenUp& givenUp) {
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
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(lookup->mutex);
    while (!lookup->finished && remainingMs(deadline) > 0 && !givenUp())
        lookup->done.wait_for(
            lock, std::chrono::milliseconds(std::min(remainingMs(deadline), kGiveUpStepMs)));
    return lookup->finished ? lookup->address : std::nullopt;
}

}  // namespace

// OpenSSL over the connection's socket. The socket stays non-blocking; every
// step that wants to read or write waits for the socket within the deadline.
struct TcpClient::Socket {
    int fd;
};

struct TcpClient::Tls {
    SSL_CTX* context = nullptr;
    SSL* session = nullptr;
    ~Tls() {
        if (session != nullptr) SSL_free(session);
        if (context != nullptr) SSL_CTX_free(context);
    }
};

namespace {

// Waits as the last OpenSSL call asks; false on an error or at the deadline.
bool awaitTls(SSL* session, int result, int fd, Clock::time_point deadline,
              const GivenUp& givenUp) {
    const int error = SSL_get_error(session, result);
    if (error == SSL_ERROR_WANT_READ) return waitFor(fd, POLLIN, remainingMs(deadline), givenUp);
    if (error == SSL_ERROR_WANT_WRITE) return waitFor(fd, POLLOUT, remainingMs(deadline), givenUp);
    return false;
}

// A write to a peer that has gone raises SIGPIPE inside OpenSSL; it is held
// back for this thread and taken away, so the program never dies of it.
class NoBrokenPipeSignal {
  public:
    NoBrokenPipeSignal() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~NoBrokenPipeSignal() {
        sigset_t pending;
        sigpending(&pending);
        if (!alreadyPending_ && sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{0, 0};
            sigtimedwait(&pipe_, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }

  private:
    sigset_t pipe_{}, previous_{};
    bool alreadyPending_ = false;
};

std::unique_ptr<TcpClient::Tls> handshake(int fd, const std::string& hostName,
                                          Clock::time_point deadline, const GivenUp& givenUp) {
    auto tls = std::make_unique<TcpClient::Tls>();
    tls->context = SSL_CTX_new(TLS_client_method());
    if (tls->context == nullptr) return nullptr;
    SSL_CTX_set_min_proto_version(tls->context, TLS1_2_VERSION);
    // The system's trust store, or what SSL_CERT_FILE / SSL_CERT_DIR name.
    if (SSL_CTX_set_default_verify_paths(tls->context) != 1) return nullptr;
    SSL_CTX_set_verify(tls->context, SSL_VERIFY_PEER, nullptr);
    tls->session = SSL_new(tls->context);
    if (tls->session == nullptr || SSL_set_fd(tls->session, fd) != 1) return nullptr;
    in_addr numeric{};
    const bool isAddress = inet_pton(AF_INET, hostName.c_str(), &numeric) == 1;
    // An address is checked against the certificate's addresses; a name is
    // also sent as the server name. A name must be among the certificate's
    // DNS names: its subject's common name never stands in for them.
    SSL_set_hostflags(tls->session, X509_CHECK_FLAG_NEVER_CHECK_SUBJECT);
    if (isAddress
            ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(tls->session), hostName.c_str()) != 1
            : SSL_set1_host(tls->session, hostName.c_str()) != 1 ||
                  SSL_set_tlsext_host_name(tls->session, hostName.c_str()) != 1)
        return nullptr;
    const NoBrokenPipeSignal quiet;
    for (;;) {
        const int result = SSL_connect(tls->session);
        if (result == 1) break;
        if (!awaitTls(tls->session, result, fd, deadline, givenUp)) return nullptr;
    }
    if (SSL_get_verify_result(tls->session) != X509_V_OK) return nullptr;
    return tls;
}

bool sendEncrypted(TcpClient::Tls& tls, int fd, std::string_view data, Clock::time_point deadline,
                   const GivenUp& givenUp) {
    const NoBrokenPipeSignal quiet;
    while (!data.empty()) {
        std::size_t written = 0;
        const int result = SSL_write_ex(tls.session, data.data(), data.size(), &written);
        if (result == 1) {
            data.remove_prefix(written);
            continue;
        }
        if (!awaitTls(tls.session, result, fd, deadline, givenUp)) return false;
    }
    return true;
}

long readEncrypted(TcpClient::Tls& tls, int fd, char* buffer, std::size_t size,
                   Clock::time_point deadline, const GivenUp& givenUp) {
    const NoBrokenPipeSignal quiet;  // a read may send (renegotiation, alerts)
    for (;;) {
        std::size_t count = 0;
        const int result = SSL_read_ex(tls.session, buffer, size, &count);
        if (result == 1) return static_cast<long>(count);
        const int error = SSL_get_error(tls.session, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return -1;
        if (!awaitTls(tls.session, result, fd, deadline, givenUp))
            return remainingMs(deadline) > 0 && !givenUp() ? -1 : 0;
    }
}

}  // namespace

bool TcpClient::connect(const std::string& server, int port, int timeoutMs) {
    close();
    const GivenUp givenUp = [this] { return this->givenUp(); };
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, server.c_str(), &address.sin_addr) != 1) {
        if (server.empty()) return false;
        const std::optional<in_addr> found = resolveIpv4(server, timeoutMs, givenUp);
        if (!found) return false;
        address.sin_addr = *found;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    socket_ = std::make_unique<Socket>(Socket{fd});
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS || !waitFor(fd, POLLOUT, remainingMs(deadline), givenUp)) {
            close();
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            close();
            return false;
        }
    }
    return true;
}

TcpClient::TcpClient() = default;

TcpClient::~TcpClient() {
    close();
}

bool TcpClient::sendAll(std::string_view data, int timeoutMs) {
    if (!socket_) return false;
    const int fd = socket_->fd;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const GivenUp givenUp = [this] { return this->givenUp(); };
    if (tls_) return sendEncrypted(*tls_, fd, data, deadline, givenUp);
    while (!data.empty()) {
        const ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitFor(fd, POLLOUT, remainingMs(deadline), givenUp))
            continue;
        return false;  // an error, or the peer stopped reading until the deadline
    }
    return true;
}

long TcpClient::readSome(char* buffer, std::size_t size, int timeoutMs) {
    if (!socket_) return -1;
    const int fd = socket_->fd;
    const GivenUp givenUp = [this] { return this->givenUp(); };
    if (tls_)
        return readEncrypted(*tls_, fd, buffer, size,
                             Clock::now() + std::chrono::milliseconds(timeoutMs), givenUp);
    if (!waitFor(fd, POLLIN, timeoutMs, givenUp)) return 0;
    for (;;) {
        const ssize_t count = recv(fd, buffer, size, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return count > 0 ? static_cast<long>(count) : -1;
    }
}

bool TcpClient::startTls(const std::string& hostName, int timeoutMs) {
    if (!socket_) return false;
    tls_ = handshake(socket_->fd, hostName, Clock::now() + std::chrono::milliseconds(timeoutMs),
                     [this] { return givenUp(); });
    if (!tls_) close();
    return tls_ != nullptr;
}

void TcpClient::close() {
    tls_.reset();
    if (socket_) ::close(socket_->fd);
    socket_.reset();
}

}  // namespace kelvinor
