#include "logger/platform/win32/socket_wait.h"

#include <algorithm>

#include "logger/system/tcp_client.h"

namespace kelvinor {

int remainingMs(SocketClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SocketClock::now())
            .count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitForSocket(SOCKET socket, bool writing, int timeoutMs, const GivenUp& givenUp) {
    const auto deadline = SocketClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (givenUp()) return false;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket, &set);
        fd_set failed;
        FD_ZERO(&failed);
        FD_SET(socket, &failed);
        const int step = std::min(remainingMs(deadline), TcpClient::kGiveUpStepMs);
        timeval wait{step / 1000, (step % 1000) * 1000};
        const int ready =
            select(0, writing ? nullptr : &set, writing ? &set : nullptr, &failed, &wait);
        if (ready != 0) return ready > 0 && FD_ISSET(socket, &set) && !FD_ISSET(socket, &failed);
        if (remainingMs(deadline) == 0) return false;
    }
}

}  // namespace kelvinor
