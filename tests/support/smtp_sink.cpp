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

struct RealSmtpServer::Process {
    pid_t pid = 0;
    int input = -1;
};

RealSmtpServer::RealSmtpServer(const std::string& host, int port, const std::string& folder,
                               const std::vector<std::string>& options)
    : process_(std::make_unique<Process>()), port_(port) {
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
        posix_spawn(&process_->pid, "/usr/bin/python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toServer[0]);
    close(fromServer[1]);
    process_->input = toServer[1];
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
    close(process_->input);  // the server stops when its input closes
    const pid_t pid = process_->pid;
    int status = 0;
    for (int i = 0; i < 300 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (kill(pid, 0) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

std::string makeTestCertificates(const std::string& folder) {
    const std::string command = "bash " TESTS_DIR "/make_test_certificates.sh '" + folder + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("no test certificates");
    return folder;
}

TrustedTestAuthority::TrustedTestAuthority(const std::string& caPem) {
    const char* previous = std::getenv("SSL_CERT_FILE");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    setenv("SSL_CERT_FILE", caPem.c_str(), 1);
}

void TrustedTestAuthority::keep() {
    hadPrevious_ = true;
    previous_ = std::getenv("SSL_CERT_FILE");
}

TrustedTestAuthority::~TrustedTestAuthority() {
    if (hadPrevious_)
        setenv("SSL_CERT_FILE", previous_.c_str(), 1);
    else
        unsetenv("SSL_CERT_FILE");
}

SilentListener::SilentListener() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    fd_ = fd;
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
    listen(fd, 8);
    socklen_t length = sizeof at;
    getsockname(static_cast<int>(fd_), reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
}

SilentListener::~SilentListener() {
    close(static_cast<int>(fd_));
}

bool SilentListener::someoneConnected() const {
    pollfd ready{static_cast<int>(fd_), POLLIN, 0};
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
