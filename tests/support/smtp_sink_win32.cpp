// The Windows tests' real SMTP server, certificates and mail parser: the
// Linux programs of the Linux tests, started under Wine (which runs a Linux
// program that a Windows program starts), with the paths they are given
// turned into Linux ones.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <cstdio>
#include <stdexcept>

#include "tests/support/scenario.h"
#include "tests/support/smtp_sink.h"

namespace kelvinor::testing {
namespace {

// A path as a Linux program finds it: Wine's own translation of a Windows
// path; a path that already is a Linux one stays as it is.
std::string linuxPath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    using Translate = char*(CDECL*)(const wchar_t*);
    static const auto translate = reinterpret_cast<Translate>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (translate == nullptr) throw std::runtime_error("not under Wine");
    const std::wstring wide(path.begin(), path.end());
    char* translated = translate(wide.c_str());
    if (translated == nullptr) throw std::runtime_error("no Linux path for " + path);
    std::string result(translated);
    HeapFree(GetProcessHeap(), 0, translated);
    return result;
}

struct SocketLayer {
    SocketLayer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

void startSockets() {
    static SocketLayer layer;
}

// A Linux program started by its path with the arguments. Wine hands a
// Linux program none of a Windows pipe, so its standard input and output
// are a loopback connection that bash opens (/dev/tcp) and this side
// accepts: closing our sending side is the end of its input.
struct LinuxProgram {
    PROCESS_INFORMATION info{};
    SOCKET connection = INVALID_SOCKET;

    LinuxProgram(const std::string& program, const std::vector<std::string>& arguments) {
        startSockets();
        const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
        listen(listener, 1);
        int length = sizeof at;
        getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
        std::string script = "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(ntohs(at.sin_port)) +
                             "; exec '" + program + "'";
        for (const std::string& argument : arguments) script += " '" + argument + "'";
        script += " <&3 >&3 3>&-";
        std::string commandLine = "Z:\\bin\\bash -c \"" + script + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &info);
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener, &ready);
        timeval wait{30, 0};
        if (started && select(0, &ready, nullptr, nullptr, &wait) == 1)
            connection = accept(listener, nullptr, nullptr);
        closesocket(listener);
        if (connection == INVALID_SOCKET) throw std::runtime_error("cannot start " + program);
    }
    ~LinuxProgram() {
        closesocket(connection);
        if (WaitForSingleObject(info.hProcess, 3'000) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    // Its standard output, up to `end` (or all of it until it ends).
    std::string readOutput(char end = 0) {
        std::string text;
        char c;
        while (recv(connection, &c, 1, 0) == 1) {
            if (end != 0 && c == end) break;
            text += c;
        }
        return text;
    }
    void closeInput() { shutdown(connection, SD_SEND); }
};

std::string runLinuxProgram(const std::string& program, const std::vector<std::string>& arguments) {
    LinuxProgram run(program, arguments);
    run.closeInput();
    return run.readOutput();
}

}  // namespace

struct RealSmtpServer::Process {
    LinuxProgram python;
};

RealSmtpServer::RealSmtpServer(const std::string& host, int port, const std::string& folder,
                               const std::vector<std::string>& options)
    : port_(port) {
    std::vector<std::string> arguments = {TESTS_DIR "/smtp_sink.py", host, std::to_string(port),
                                          linuxPath(folder)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    process_.reset(new Process{LinuxProgram("/usr/bin/python3", arguments)});
    if (process_->python.readOutput('\n') != "ready")
        throw std::runtime_error("aiosmtpd did not start");
}

RealSmtpServer::~RealSmtpServer() {
    process_->python.closeInput();  // the server stops when its input closes
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
    startSockets();
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    fd_ = static_cast<std::intptr_t>(listener);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
    listen(listener, 8);
    int length = sizeof at;
    getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
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
    startSockets();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
    int length = sizeof at;
    getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
    closesocket(s);
    return ntohs(at.sin_port);
}

std::string parseMail(const std::string& message, const std::string& attachments) {
    std::vector<std::string> arguments = {TESTS_DIR "/parse_mail.py", linuxPath(message)};
    if (!attachments.empty()) arguments.push_back(attachments);
    return runLinuxProgram("/usr/bin/python3", arguments);
}

}  // namespace kelvinor::testing
