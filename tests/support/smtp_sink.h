#pragma once
// Debian's aiosmtpd as a real SMTP server on a loopback address, started for one test.
// Under Wine the Windows tests start the same Linux programs: Wine runs a
// Linux program that a Windows program starts, and the paths are turned into
// the Linux ones.
#include <cstdint>
#include <memory>
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

    struct Process;  // the system's handle of the running server

  private:
    std::unique_ptr<Process> process_;
    int port_;
};

// A throw-away certificate authority and server certificates in `folder`
// (see make_test_certificates.sh); returns the folder as the servers name it.
std::string makeTestCertificates(const std::string& folder);

// The throw-away authority trusted by this process's TLS clients while it
// lives: through SSL_CERT_FILE on Linux, in the user's root certificate
// store on Windows (the Wine prefix's, for the tests), removed again after.
class TrustedTestAuthority {
  public:
    explicit TrustedTestAuthority(const std::string& caPem);
    ~TrustedTestAuthority();
    TrustedTestAuthority(const TrustedTestAuthority&) = delete;
    TrustedTestAuthority& operator=(const TrustedTestAuthority&) = delete;
    // Leaves the authority trusted after this process (for the programs a
    // test script starts later).
    void keep();

  private:
    std::string previous_;
    bool hadPrevious_ = false;
    const void* added_ = nullptr;
};

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
    std::intptr_t fd_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 that nothing listens on right now.
int freeLoopbackPort();

// The parser's "key=value" lines for a received message.
std::string parseMail(const std::string& message, const std::string& attachments = "");

}  // namespace kelvinor::testing
