#include "logger/features/bus/bus_command.h"

#include <chrono>

#include "logger/features/host_calls/host_calls.h"
#include "logger/system/command_interpreter.h"
#include "logger/system/platform.h"
#include "logger/text/number_text.h"

namespace kelvinor {
namespace {

constexpr std::int64_t kBatchItselfMs = 2000;

}  // namespace

bool runBusCommand(const std::string& interpreter, Host& host, const std::string& parameter,
                   const GiveUp& giveUp) {
    return runBoundedBusCommand(interpreter, host, parameter, 0, giveUp) != BusRun::GivenUp;
}

BusRun runBoundedBusCommand(const std::string& interpreter, Host& host,
                            const std::string& parameter, std::int64_t limitMs,
                            const GiveUp& giveUp) {
    const InterpreterCall call = interpreterCall(interpreter, parameter);
    using Steady = std::chrono::steady_clock;
    const Steady::time_point endBy = Steady::now() + std::chrono::milliseconds(limitMs);
    BusRun run = BusRun::Finished;
    startProgram(host, call.file, call.parameters, ".", kWait | kHidden | kOwnGroup, [&] {
        host.desktop.serveWithoutInput(0);
        if (giveUp && giveUp()) run = BusRun::GivenUp;
        if (run == BusRun::Finished && limitMs > 0 && Steady::now() >= endBy)
            run = BusRun::OutOfTime;
        return run == BusRun::Finished;
    });
    return run;
}

std::int64_t searchLimitMs(int readTimeMs) {
    return 2LL * readTimeMs + 4000 + busToolKillGraceMs() + kBatchItselfMs;
}

std::int64_t readLimitMs(int readTimeMs, int sensors) {
    return sensors * (3LL * readTimeMs + 1000 + busToolKillGraceMs()) + kBatchItselfMs;
}

std::string limitText(std::int64_t ms) {
    return decimal(ms / 1000) + "." + decimal(ms % 1000 / 100) + " s";
}

}  // namespace kelvinor
