#include "logger/system/stop_signals.h"

#include <signal.h>
#include <time.h>

#include <cerrno>

namespace kelvinor {

std::function<bool(std::int64_t)> takeStopSignals() {
    // Blocked, the signals stay pending until sigtimedwait takes them. The
    // processes the program starts get an empty mask from their guardian.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    // The terminal going away (an SSH connection dropped) stops as well,
    // rather than ending the process without the log's end block.
    sigaddset(&stops, SIGHUP);
    sigprocmask(SIG_BLOCK, &stops, nullptr);
    return [stops, came = false](std::int64_t ms) mutable {
        timespec wait{};
        if (ms > 0) {
            wait.tv_sec = static_cast<time_t>(ms / 1000);
            wait.tv_nsec = static_cast<long>(ms % 1000) * 1'000'000;
        }
        int signal = -1;
        do {
            signal = sigtimedwait(&stops, nullptr, &wait);
        } while (signal < 0 && errno == EINTR);
        came = came || signal > 0;
        return came;
    };
}

}  // namespace kelvinor
