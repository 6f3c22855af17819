#include "tests/support/smtp_server.h"

#ifdef _WIN32
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <stdexcept>
#include <thread>

namespace kelvinor::testing {
namespace {

// The few calls that differ between Windows Sockets and POSIX sockets.
#ifdef _WIN32
constexpr int kNoSignal = 0;
constexpr int kCloseOnExec = 0;
constexpr int kShutBoth = SD_BOTH;
using Length = int;
int acceptConnection(int listener) {
    return static_cast<int>(accept(static_cast<SOCKET>(listener), nullptr, nullptr));
}
void closeSocket(int fd) {
    closesocket(static_cast<SOCKET>(fd));
}
struct SocketLayer {
    SocketLayer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~SocketLayer() { WSACleanup(); }
};
#else
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kCloseOnExec = SOCK_CLOEXEC;
constexpr int kShutBoth = SHUT_RDWR;
using Length = socklen_t;
int acceptConnection(int listener) {
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
void closeSocket(int fd) {
    ::close(fd);
}
struct SocketLayer {};
#endif

template <typename Value>
void setOption(int fd, int level, int name, const Value& value) {
    setsockopt(fd, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

bool SmtpConversation::send(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const auto n =
            ::send(fd_, text.data() + done, static_cast<int>(text.size() - done), kNoSignal);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SmtpConversation::readMore() {
    char buffer[65536];
    const auto n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
        closedByClient = true;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::string SmtpConversation::readCommand() {
    std::size_t end;
    while ((end = pending_.find("\r\n")) == std::string::npos)
        if (!readMore()) return {};
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 2);
    commands.push_back(line);
    return line;
}

std::string SmtpConversation::readData() {
    std::size_t end;
    while ((end = pending_.find("\r\n.\r\n")) == std::string::npos)
        if (!readMore()) return {};
    std::string data = pending_.substr(0, end + 5);
    pending_.erase(0, end + 5);
    return data;
}

void SmtpConversation::discardData() {
    // Only the last bytes are kept, in case the end mark spans two reads.
    while (pending_.find("\r\n.\r\n") == std::string::npos) {
        if (pending_.size() > 4) pending_.erase(0, pending_.size() - 4);
        if (!readMore()) return;
    }
    pending_.erase(0, pending_.find("\r\n.\r\n") + 5);
}

void SmtpConversation::reset() {
    linger hard{1, 0};
    setOption(fd_, SOL_SOCKET, SO_LINGER, hard);
    shutdown(fd_, kShutBoth);
}

ScriptedSmtpServer::ScriptedSmtpServer(std::function<void(SmtpConversation&)> script,
                                       const std::string& address, int port, int connections) {
    [[maybe_unused]] static SocketLayer layer;
    listener_ = static_cast<int>(socket(AF_INET, SOCK_STREAM | kCloseOnExec, 0));
    setOption(listener_, SOL_SOCKET, SO_REUSEADDR, 1);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        listen(listener_, 4) != 0)
        throw std::runtime_error("cannot listen on " + address);
    Length length = sizeof at;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
    thread_ = std::thread([this, script, connections] {
        for (int i = 0; i < connections; ++i) {
            const int fd = acceptConnection(listener_);
            if (fd < 0) return;
            SmtpConversation conversation(fd);
            script(conversation);
            seen_.push_back(conversation.commands);
            closeSocket(fd);
        }
    });
}

std::vector<std::vector<std::string>> ScriptedSmtpServer::finish() {
    if (thread_.joinable()) {
        shutdown(listener_, kShutBoth);
        thread_.join();
    }
    return seen_;
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    finish();
    closeSocket(listener_);
}

std::string politeAnswer(SmtpConversation&, const std::string& command) {
    if (command == "<greeting>") return "220 test ESMTP\r\n";
    if (command == "<data>") return "250 queued\r\n";
    const std::string verb = command.substr(0, 4);
    if (verb == "EHLO") return "250-test greets you\r\n250 OK\r\n";
    if (verb == "MAIL" || verb == "RCPT") return "250 OK\r\n";
    if (verb == "DATA") return "354 go ahead\r\n";
    if (verb == "QUIT") return "221 bye\r\n";
    return "500 what?\r\n";
}

std::string silentUntilClosed(SmtpConversation& c) {
    c.readCommand();
    return "<close>";
}

void trickle(SmtpConversation& c, const std::string& line) {
    for (int i = 0; i < 400 && c.send(line); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void converse(SmtpConversation& c, const Answer& answer) {
    std::string sent;
    auto reply = [&](const std::string& command) {
        sent = answer(c, command);
        if (sent == "<close>") return false;
        if (sent == "<reset>") {
            c.reset();
            return false;
        }
        c.send(sent);
        return true;
    };
    if (!reply("<greeting>")) return;
    for (;;) {
        const std::string command = c.readCommand();
        if (c.closedByClient) return;
        if (!reply(command)) return;
        if (command == "QUIT") return;
        if (command == "DATA" && sent.starts_with("354")) {
            c.data.push_back(c.readData());
            if (c.closedByClient || !reply("<data>")) return;
        }
    }
}

}  // namespace kelvinor::testing
