#include "tests/support/smtp_sink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/scenario.h"

extern char** environ;

namespace kelvinor::testing {

RealSmtpServer::RealSmtpServer(const std::string& host, int port, const std::string& folder,
                               const std::vector<std::string>& options)
    : port_(port) {
    int toServer[2], fromServer[2];
    if (pipe2(toServer, O_CLOEXEC) != 0 || pipe2(fromServer, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toServer[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromServer[1], 1);
    const std::string script = TESTS_DIR "/smtp_sink.py";
    const std::string portText = std::to_string(port);
    std::vector<char*> argv = {const_cast<char*>("/usr/bin/python3"),
                               const_cast<char*>(script.c_str()), const_cast<char*>(host.c_str()),
                               const_cast<char*>(portText.c_str()),
                               const_cast<char*>(folder.c_str())};
    for (const std::string& option : options) argv.push_back(const_cast<char*>(option.c_str()));
    argv.push_back(nullptr);
    const int error =
        posix_spawn(&pid_, "/usr/bin/python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toServer[0]);
    close(fromServer[1]);
    input_ = toServer[1];
    // The whole line "ready\n": Python writes its end separately, and a closed
    // pipe before it would end the server.
    std::string ready;
    char c = 0;
    while (error == 0 && ready.size() < 16 && read(fromServer[0], &c, 1) == 1 && c != '\n')
        ready += c;
    const bool up = ready == "ready";
    close(fromServer[0]);
    if (!up) throw std::runtime_error("aiosmtpd did not start");
}

RealSmtpServer::~RealSmtpServer() {
    close(input_);  // the server stops when its input closes
    int status = 0;
    for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (kill(pid_, 0) == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
}

std::string makeTestCertificates(const std::string& folder) {
    const std::string command = "bash " TESTS_DIR "/make_test_certificates.sh '" + folder + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("no test certificates");
    return folder;
}

SilentListener::SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    listen(fd_, 8);
    socklen_t length = sizeof at;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
}

SilentListener::~SilentListener() {
    close(fd_);
}

bool SilentListener::someoneConnected() const {
    pollfd ready{fd_, POLLIN, 0};
    return poll(&ready, 1, 0) > 0;
}

int freeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
    socklen_t length = sizeof at;
    getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length);
    close(fd);
    return ntohs(at.sin_port);
}

std::string parseMail(const std::string& message, const std::string& attachments) {
    const std::string command =
        "/usr/bin/python3 " TESTS_DIR "/parse_mail.py '" + message + "' " + attachments;
    return commandOutput(command);
}

}  // namespace kelvinor::testing
