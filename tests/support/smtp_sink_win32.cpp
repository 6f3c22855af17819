// The Windows tests' real SMTP server, certificates and mail parser: the
// Linux programs of the Linux tests, started under Wine.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <stdexcept>

#include "tests/support/linux_program_win32.h"
#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

namespace kelvinor::testing {

struct RealSmtpServer::Process {
    std::unique_ptr<LinuxProgram> python;
};

RealSmtpServer::RealSmtpServer(const std::string& host, int port, const std::string& folder,
                               const std::vector<std::string>& options)
    : port_(port) {
    std::vector<std::string> arguments = {TESTS_DIR "/smtp_sink.py", host, std::to_string(port),
                                          linuxPath(folder)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    process_.reset(new Process{std::make_unique<LinuxProgram>("/usr/bin/python3", arguments)});
    if (process_->python->readOutput('\n') != "ready")
        throw std::runtime_error("aiosmtpd did not start");
}

RealSmtpServer::~RealSmtpServer() {
    process_->python->closeInput();  // the server stops when its input closes
}

std::string makeTestCertificates(const std::string& folder) {
    const std::string linux = linuxPath(folder);
    runLinuxProgram("/bin/bash", {TESTS_DIR "/make_test_certificates.sh", linux});
    if (readFile("Z:" + linux + "/ca.pem").empty())
        throw std::runtime_error("no test certificates");
    return linux;
}

TrustedTestAuthority::TrustedTestAuthority(const std::string& caPem) {
    std::string pem = readFile("Z:" + linuxPath(caPem));
    BYTE der[8192];
    DWORD size = sizeof der;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr,
                              nullptr))
        throw std::runtime_error("not a PEM certificate: " + caPem);
    HCERTSTORE root =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    PCCERT_CONTEXT added = nullptr;
    if (root == nullptr ||
        !CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, size,
                                          CERT_STORE_ADD_REPLACE_EXISTING, &added))
        throw std::runtime_error("the root store takes no certificate");
    CertCloseStore(root, 0);
    added_ = added;
}

TrustedTestAuthority::~TrustedTestAuthority() {
    // Deleting frees the context as well.
    if (added_ != nullptr) CertDeleteCertificateFromStore(static_cast<PCCERT_CONTEXT>(added_));
}

void TrustedTestAuthority::keep() {
    CertFreeCertificateContext(static_cast<PCCERT_CONTEXT>(added_));
    added_ = nullptr;
}

SilentListener::SilentListener() {
    fd_ = static_cast<std::intptr_t>(loopbackSocket(8, port_));
}

SilentListener::~SilentListener() {
    closesocket(static_cast<SOCKET>(fd_));
}

bool SilentListener::someoneConnected() const {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(fd_), &set);
    timeval none{0, 0};
    return select(0, &set, nullptr, nullptr, &none) > 0;
}

int freeLoopbackPort() {
    int port = 0;
    closesocket(loopbackSocket(0, port));
    return port;
}

std::string parseMail(const std::string& message, const std::string& attachments) {
    std::vector<std::string> arguments = {TESTS_DIR "/parse_mail.py", linuxPath(message)};
    if (!attachments.empty()) arguments.push_back(attachments);
    return runLinuxProgram("/usr/bin/python3", arguments);
}

}  // namespace kelvinor::testing
