// The logbook over long recordings, side by side in one run: today's
// reference (a QPlainTextEdit, as the logbook was) and the LogbookView. For
// each size: the program's resident memory, the median time to append one
// row, the median time of the event processing after it (the cycle's
// refresh), and at the largest size the time to select all and copy.
//   logbook_bench [ROWS...]        (default 100000 300000 1000000)
// Offscreen by default; under Xvfb (tests/with-xvfb.sh) it measures the X11
// platform that users have, where a scroll of the view is flushed to the
// server instead of copied in memory.
// Each widget runs in a child process of its own, so that the resident
// memory is that widget's alone.
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "logger/desktop/qt/logbook_view.h"
#include "logger/desktop/qt/qt_desktop.h"
#include "logger/desktop/qt/qt_text.h"

namespace {

using Clock = std::chrono::steady_clock;

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string row(long n) {
    char text[96];
    std::snprintf(text, sizeof text, "06.12.2026\t%02ld:%02ld:%02ld  \t%ld,%02ld\t30,00\t-2,00\t",
                  n / 3600 % 24, n / 60 % 60, n % 60, 5 + n % 75, n % 100);
    return text;
}

// The two widgets behind one face.
struct Logbook {
    virtual ~Logbook() = default;
    virtual QWidget* widget() = 0;
    virtual void append(const std::string& cp1252) = 0;
    // Many rows at once, to reach the sizes quickly.
    virtual void appendMany(const std::string& cp1252Rows) = 0;
    virtual void selectAllAndCopy() = 0;
};

struct Reference final : Logbook {
    QPlainTextEdit edit;
    Reference() {
        edit.setReadOnly(true);
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.setMaximumBlockCount(0);
    }
    QWidget* widget() override { return &edit; }
    void append(const std::string& line) override {
        edit.appendPlainText(kelvinor::toQString(line));
    }
    void appendMany(const std::string& rows) override {
        edit.appendPlainText(kelvinor::toQString(rows));
    }
    void selectAllAndCopy() override {
        edit.selectAll();
        edit.copy();
    }
};

struct View final : Logbook {
    kelvinor::LogbookView view;
    QWidget* widget() override { return &view; }
    void append(const std::string& line) override { view.appendLine(line); }
    void appendMany(const std::string& rows) override { view.appendLine(rows); }
    void selectAllAndCopy() override {
        view.selectAll();
        view.copy();
    }
};

int measure(const std::string& kind, const std::vector<long>& targets) {
    std::unique_ptr<Logbook> book;
    if (kind == "reference")
        book = std::make_unique<Reference>();
    else
        book = std::make_unique<View>();
    QWidget* widget = book->widget();
    widget->setGeometry(10, 40, 780, 510);
    widget->show();
    QCoreApplication::processEvents();
    long rows = 0;
    for (long target : targets) {
        const long sample = 1000;
        while (rows < target - sample) {
            std::string many;
            for (int i = 0; i < 10'000 && rows < target - sample; ++i, ++rows)
                many += (many.empty() ? "" : "\n") + row(rows);
            book->appendMany(many);
        }
        QCoreApplication::processEvents();
        std::vector<double> append, refresh;
        for (; rows < target; ++rows) {
            const std::string line = row(rows);
            const auto start = Clock::now();
            book->append(line);
            const auto appended = Clock::now();
            QCoreApplication::processEvents();
            const auto refreshed = Clock::now();
            append.push_back(microseconds(appended - start));
            refresh.push_back(microseconds(refreshed - appended));
        }
        std::printf("%ld %.0f %.1f %.1f", rows, residentKiB() / 1024.0, median(append),
                    median(refresh));
        if (target == targets.back()) {
            const auto start = Clock::now();
            book->selectAllAndCopy();
            std::printf(" %.2f", microseconds(Clock::now() - start) / 1e6);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<long> targets;
    std::string kind;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--one" && i + 1 < argc)
            kind = argv[++i];
        else
            targets.push_back(std::stol(argv[i]));
    }
    if (targets.empty()) targets = {100000, 300000, 1000000};
    std::sort(targets.begin(), targets.end());
    if (!kind.empty()) {
        QApplication application(argc, argv);
        kelvinor::useWindowsGuiMetrics(application);
        return measure(kind, targets);
    }

    // The driver: one child per widget, then the table.
    std::string sizes;
    for (long t : targets) sizes += " " + std::to_string(t);
    std::map<std::string, std::vector<std::string>> lines;
    for (const std::string k : {"reference", "view"}) {
        const std::string command = std::string(argv[0]) + " --one " + k + sizes;
        FILE* child = popen(command.c_str(), "r");
        char buffer[256];
        while (child != nullptr && std::fgets(buffer, sizeof buffer, child) != nullptr)
            lines[k].push_back(buffer);
        if (child != nullptr) pclose(child);
    }
    std::printf("Qt platform: %s\n", std::getenv("QT_QPA_PLATFORM"));
    std::printf("%-9s | %-40s | %-40s\n", "rows", "QPlainTextEdit (reference)", "LogbookView");
    std::printf("%-9s | %-40s | %-40s\n", "", "resident MB, append us, refresh us",
                "resident MB, append us, refresh us");
    for (std::size_t i = 0; i < targets.size(); ++i) {
        auto cell = [&](const std::string& k) {
            long r = 0;
            double mb = 0, append = 0, refresh = 0, copy = -1;
            if (i < lines[k].size())
                std::sscanf(lines[k][i].c_str(), "%ld %lf %lf %lf %lf", &r, &mb, &append, &refresh,
                            &copy);
            char text[128];
            if (copy >= 0)
                std::snprintf(text, sizeof text, "%6.0f %8.1f %8.1f  (select+copy %.2f s)", mb,
                              append, refresh, copy);
            else
                std::snprintf(text, sizeof text, "%6.0f %8.1f %8.1f", mb, append, refresh);
            return std::string(text);
        };
        std::printf("%-9ld | %-40s | %-40s\n", targets[i], cell("reference").c_str(),
                    cell("view").c_str());
    }
}
