#pragma once
// Linux programs started by the Windows tests under Wine, which runs a Linux
// program that a Windows program starts: the tests' servers and simulators
// are the Linux tests' own.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <string>
#include <vector>

namespace kelvinor::testing {

// A path as a Linux program finds it (Wine's translation of a Windows path);
// a path that already is a Linux one stays as it is.
std::string linuxPath(const std::string& path);

// Starts Windows Sockets once for the test program.
void startSockets();

// A socket bound to a free port on 127.0.0.1, listening when `backlog` is
// above 0; the port in `port`.
SOCKET loopbackSocket(int backlog, int& port);

// A Linux program started by its path with the arguments. Wine hands a Linux
// program none of a Windows pipe, so its standard input and output are a
// loopback connection that bash opens (/dev/tcp) and this side accepts:
// closing our sending side is the end of its input.
class LinuxProgram {
  public:
    LinuxProgram(const std::string& program, const std::vector<std::string>& arguments);
    ~LinuxProgram();
    LinuxProgram(const LinuxProgram&) = delete;
    LinuxProgram& operator=(const LinuxProgram&) = delete;
    // Its standard output, up to `end` (or all of it until it ends).
    std::string readOutput(char end = 0);
    void closeInput();

  private:
    PROCESS_INFORMATION info_{};
    SOCKET connection_ = INVALID_SOCKET;
};

// Runs a Linux program to its end; what it wrote.
std::string runLinuxProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace kelvinor::testing
