// onewire-sim LINK SENSORFILE [CONVERSION_MS]: a simulated 1-Wire bus behind a
// pseudo-terminal. LINK becomes a symbolic link to the terminal, which
// DigiTemp or owserver opens as its serial port. SENSORFILE lists the sensors
// and is read again at every reset, so a test can change temperatures and
// behaviours while the bus runs. A conversion takes CONVERSION_MS of real
// time (default 0: at once), as a real sensor's does.
// Ends on SIGTERM or SIGINT and removes LINK.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/onewire/onewire_bus.h"

namespace {

volatile sig_atomic_t stopping = 0;
void onSignal(int) {
    stopping = 1;
}

std::string readText(const char* path) {
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: onewire-sim LINK SENSORFILE [CONVERSION_MS]\n");
        return 2;
    }
    const char* link = argv[1];
    const char* sensorFile = argv[2];
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("onewire-sim: pseudo-terminal");
        return 1;
    }
    const char* slaveName = ptsname(master);
    // Holding the terminal open keeps the bus readable between DigiTemp runs.
    const int slave = open(slaveName, O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    unlink(link);
    if (symlink(slaveName, link) != 0) {
        std::perror("onewire-sim: link");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::printf("%s\n", slaveName);
    std::fflush(stdout);

    onewire::Bus bus(argc == 4 ? std::atoll(argv[3]) : 0);
    const auto started = std::chrono::steady_clock::now();
    bus.setSensors(onewire::parseSensors(readText(sensorFile)));
    unsigned char buffer[4096];
    while (!stopping) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0) continue;
        const ssize_t count = read(master, buffer, sizeof buffer);
        if (count <= 0) {
            if (count < 0 && errno != EINTR && errno != EAGAIN && errno != EIO) break;
            continue;
        }
        unsigned char answer[sizeof buffer];
        const std::int64_t nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - started)
                                       .count();
        for (ssize_t i = 0; i < count; ++i) {
            if (buffer[i] == 0xF0) bus.setSensors(onewire::parseSensors(readText(sensorFile)));
            answer[i] = bus.exchange(buffer[i], nowMs);
        }
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = write(master, answer + done, static_cast<size_t>(count - done));
            if (written <= 0) break;
            done += written;
        }
    }
    unlink(link);
    close(slave);
    close(master);
    return 0;
}
