// The file work of one recording cycle (the row appended and synced, then
// "LastLogFile.dat" brought up to date) with a fresh log and with a long one.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "logger/features/recording/log_file.h"
#include "tests/support/scenario.h"

namespace {

using namespace kelvinor;
using namespace kelvinor::testing;

void cycleFileWork(benchmark::State& run) {
    TemporaryWorkFolder folder;
    Scenario scenario;
    ProgramState& state = scenario.state;
    state.logFileName = "bench.KLV";
    state.lastLogFileName = "LastLogFile.dat";
    {
        std::ofstream log("bench.KLV", std::ios::binary);
        const std::string row = "06.12.2026\t23:31:05\t5,00\t30,00\t-2,00\t\r\n";
        for (std::int64_t written = 0; written < run.range(0) * 1024 * 1024; written += row.size())
            log << row;
    }
    state.logFile.usable = true;
    state.logFile.afterOwnWrite = identifyFile("bench.KLV");
    saveLogFile(state);  // the copy starts equal
    state.rowDate = "06.12.2026";
    state.rowTime = "23:31:05";
    state.lastReadings.line = "0\t5.00\t30.00\t-2.00";
    for (auto _ : run) {
        writeLogRow(state, scenario.host);
        saveLogFile(state);
        scenario.desktop.controls.clear();
    }
    run.counters["log_MB"] = static_cast<double>(std::filesystem::file_size("bench.KLV")) / 1e6;
}
BENCHMARK(cycleFileWork)->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
