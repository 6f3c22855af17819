// bus_batch_runner NAME: runs the batch NAME of the current folder as Kelvinor
// runs its bus batches, and waits for it; the tests kill this process while
// the batch runs and look for what the batch started.
#include <cstdio>

#include "logger/features/bus/bus_command.h"
#include "tests/support/scenario.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    kelvinor::testing::Scenario scenario;
    const bool ended =
        kelvinor::runBusCommand("command", scenario.host, std::string("/c") + argv[1]);
    std::printf("%s\n", ended ? "ended" : "given up");
}
