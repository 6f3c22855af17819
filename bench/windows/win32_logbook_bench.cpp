// The Win32 logbook over a long recording, under Wine: resident memory and
// the time of an append, for the desktop's logbook (the newest 2000 lines)
// and, side by side in the same run, a rich edit that keeps every line.
// Run: wine win32_logbook_bench.exe [ROWS] on a display (Xvfb).
// clang-format off
#include <windows.h>
#include <psapi.h>
#include <richedit.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <string>

#include "logger/constants/control_ids.h"
#include "logger/desktop/win32/win32_desktop.h"

namespace {

double residentMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize / 1048576.0;
}

std::string row(int m) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "06.12.2026\t23:%02d:%02d  \t%d,%02d\t30,00\t-2,%02d",
                  m / 60 % 60, m % 60, 5 + m % 40, m % 100, m % 100);
    return buffer;
}

// Appends `rows` rows to a logbook through `append`, the display off (as
// fast as the control can take them), then 200 more with the display on, as
// a recording appends them; prints the memory and the time per shown append.
template <typename Append>
void measure(const char* name, HWND control, int rows, Append append) {
    const double before = residentMb();
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    for (int m = 0; m < rows; ++m) append(row(m));
    SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control, nullptr, TRUE);
    const ULONGLONG start = GetTickCount64();
    for (int m = rows; m < rows + 200; ++m) {
        append(row(m));
        UpdateWindow(control);
    }
    const double perAppend = (GetTickCount64() - start) / 200.0;
    std::printf("%-34s %7d rows: +%7.1f MB resident, %5.1f ms per shown append\n", name, rows + 200,
                residentMb() - before, perAppend);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int unboundedRows = argc > 1 ? std::atoi(argv[1]) : 20000;
    kelvinor::Win32Desktop desktop;
    desktop.openWindow({kelvinor::mainWindow, "Logbuch", 800, 650, true});
    desktop.createControl({kelvinor::logbook, kelvinor::mainWindow, kelvinor::ControlKind::Logbook,
                           10, 40, 780, 510, ""});
    HWND bounded = desktop.control(kelvinor::logbook);
    measure("Kelvinor's logbook (newest 2000)", bounded, unboundedRows,
            [&](const std::string& line) { desktop.appendLogbookLine(kelvinor::logbook, line); });

    // The same rows into a rich edit that keeps them all.
    HWND keeping = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                       ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                   10, 40, 780, 510, desktop.window(kelvinor::mainWindow), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(keeping, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    bool first = true;
    measure(
        "a rich edit that keeps every row", keeping, unboundedRows, [&](const std::string& line) {
            std::wstring text = (first ? L"" : L"\r\n") + std::wstring(line.begin(), line.end());
            first = false;
            CHARRANGE end{-1, -1};
            SendMessageW(keeping, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
            SendMessageW(keeping, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        });
    DestroyWindow(keeping);

    // Kelvinor's logbook on to 100,000 rows.
    desktop.clearLogbook(kelvinor::logbook);
    measure("Kelvinor's logbook (newest 2000)", bounded, 100000,
            [&](const std::string& line) { desktop.appendLogbookLine(kelvinor::logbook, line); });
}
