// What a screen reader's text queries cost on a long logbook: the word and
// the line at an offset, answered by the logbook from the rows around the
// offset, side by side with Qt's own implementation, which builds the whole
// text for every query. Usage: logbook_text_query_bench [ROWS] (200000).
#include <QAccessible>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "logger/desktop/qt/logbook_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double medianMs(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const long rows = argc > 1 ? std::stol(argv[1]) : 200'000;
    kelvinor::LogbookView view;
    std::string many;
    for (long r = 0; r < rows; ++r) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "06.12.2026\t%02ld:%02ld:%02ld  \t%ld,%02ld\t30,00\t-2,00\t", r / 3600 % 24,
                      r / 60 % 60, r % 60, r % 40, r % 100);
        many += (many.empty() ? "" : "\n") + std::string(text);
    }
    view.appendLine(many);
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&view)->textInterface();
    std::mt19937 random(7);
    std::printf("%ld rows, median of 31 queries at random offsets, ms per query\n", rows);
    std::printf("%-10s %12s %12s %8s\n", "boundary", "logbook", "Qt's own", "ratio");
    for (const auto& [name, type] : {std::pair("word", QAccessible::WordBoundary),
                                     std::pair("line", QAccessible::LineBoundary),
                                     std::pair("character", QAccessible::CharBoundary)}) {
        std::vector<double> ours, qts;
        for (int i = 0; i < 31; ++i) {
            const int offset =
                static_cast<int>(random() % static_cast<unsigned>(text->characterCount()));
            int start = 0, end = 0;
            auto t0 = Clock::now();
            const QString a = text->textAtOffset(offset, type, &start, &end);
            auto t1 = Clock::now();
            const QString b =
                text->QAccessibleTextInterface::textAtOffset(offset, type, &start, &end);
            auto t2 = Clock::now();
            if (a != b)
                std::printf("differs at %d: %s / %s\n", offset, qPrintable(a), qPrintable(b));
            ours.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            qts.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        }
        std::printf("%-10s %12.4f %12.1f %7.0fx\n", name, medianMs(ours), medianMs(qts),
                    medianMs(qts) / medianMs(ours));
    }
}
