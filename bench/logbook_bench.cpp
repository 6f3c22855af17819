// The logbook after many rows: the time to append one more row and the
// program's resident memory. logbook_bench [ROWS...] (default 100000 1000000)
#include <QApplication>
#include <QPlainTextEdit>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "logger/desktop/qt/qt_desktop.h"
#include "logger/seams/control_ids.h"

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    kelvinor::QtDesktop desktop;
    desktop.openWindow({kelvinor::mainWindow, "bench", 800, 650, true});
    desktop.createControl({kelvinor::logbook, kelvinor::mainWindow, kelvinor::ControlKind::Logbook,
                           10, 40, 780, 510, ""});
    std::vector<long> targets;
    for (int i = 1; i < argc; ++i) targets.push_back(std::stol(argv[i]));
    if (targets.empty()) targets = {100000, 1000000};
    const std::string row = "06.12.2026\t23:31:05  \t5,00\t30,00\t-2,00\t";
    long rows = 0;
    for (long target : targets) {
        while (rows < target - 1000) desktop.appendLogbookLine(kelvinor::logbook, row), ++rows;
        const auto start = std::chrono::steady_clock::now();
        while (rows < target) desktop.appendLogbookLine(kelvinor::logbook, row), ++rows;
        QCoreApplication::processEvents();
        const double us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count() /
            1000;
        std::printf("logbook with %ld rows: %.1f us per appended row, resident %.0f MB\n", rows, us,
                    residentKiB() / 1024.0);
        std::fflush(stdout);
    }
}
