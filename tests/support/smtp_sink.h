#pragma once
// Debian's aiosmtpd as a real SMTP server on a loopback address, started for one test.
#include <sys/types.h>

#include <string>
#include <vector>

namespace kelvinor::testing {

class RealSmtpServer {
  public:
    // Saves received messages in `folder` as 1.eml, 2.eml, ...; `options` are
    // smtp_sink.py's (TLS, login).
    RealSmtpServer(const std::string& host, int port, const std::string& folder,
                   const std::vector<std::string>& options = {});
    ~RealSmtpServer();
    int port() const { return port_; }

  private:
    pid_t pid_ = 0;
    int input_ = -1;
    int port_;
};

// A throw-away certificate authority and server certificates in `folder`
// (see make_test_certificates.sh); returns the folder.
std::string makeTestCertificates(const std::string& folder);

// A listening socket on 127.0.0.1 that takes connections and never answers.
class SilentListener {
  public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }
    // Whether a client has tried to connect.
    bool someoneConnected() const;

  private:
    int fd_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 that nothing listens on right now.
int freeLoopbackPort();

// The parser's "key=value" lines for a received message.
std::string parseMail(const std::string& message, const std::string& attachments = "");

}  // namespace kelvinor::testing
