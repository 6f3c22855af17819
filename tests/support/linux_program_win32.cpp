#include "tests/support/linux_program_win32.h"

#include <stdexcept>

namespace kelvinor::testing {

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

void startSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) throw std::runtime_error("no Windows Sockets");
}

SOCKET loopbackSocket(int backlog, int& port) {
    startSockets();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
    if (backlog > 0) listen(s, backlog);
    int length = sizeof at;
    getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
    port = ntohs(at.sin_port);
    return s;
}

LinuxProgram::LinuxProgram(const std::string& program, const std::vector<std::string>& arguments) {
    int port = 0;
    const SOCKET listener = loopbackSocket(1, port);
    std::string script =
        "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(port) + "; exec '" + program + "'";
    for (const std::string& argument : arguments) script += " '" + argument + "'";
    script += " <&3 >&3 3>&-";
    std::string commandLine = "Z:\\bin\\bash -c \"" + script + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &info_);
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{30, 0};
    if (started && select(0, &ready, nullptr, nullptr, &wait) == 1)
        connection_ = accept(listener, nullptr, nullptr);
    closesocket(listener);
    if (connection_ == INVALID_SOCKET) throw std::runtime_error("cannot start " + program);
}

LinuxProgram::~LinuxProgram() {
    closesocket(connection_);
    // Its input closed, it ends by itself; Wine's handle of a Linux process
    // is no one to terminate.
    WaitForSingleObject(info_.hProcess, 3'000);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

std::string LinuxProgram::readOutput(char end) {
    std::string text;
    char c;
    // A program that neither writes nor ends fails the test, not hangs it.
    for (;;) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(connection_, &ready);
        timeval wait{30, 0};
        if (select(0, &ready, nullptr, nullptr, &wait) != 1)
            throw std::runtime_error("a Linux program wrote nothing for 30 s");
        if (recv(connection_, &c, 1, 0) != 1) break;
        if (end != 0 && c == end) break;
        text += c;
    }
    return text;
}

void LinuxProgram::closeInput() {
    shutdown(connection_, SD_SEND);
}

std::string runLinuxProgram(const std::string& program, const std::vector<std::string>& arguments) {
    LinuxProgram run(program, arguments);
    run.closeInput();
    return run.readOutput();
}

}  // namespace kelvinor::testing
