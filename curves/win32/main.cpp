// Kelvinor-Kurven for Windows: the curves of a Kelvinor log.
//   Kelvinor-Kurven.exe [LOG]                            the window, following LOG
//   Kelvinor-Kurven.exe --png OUT.png [--size WxH] LOG   the picture, without a window
// Without LOG a file dialog asks for one.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <gdiplus.h>
// clang-format on

#include <cstdio>
#include <string>
#include <vector>

#include "curves/win32/curves_window.h"
#include "curves/win32/png_export.h"

namespace {

// An error on the console when there is one (the picture's export), else in
// a message box.
int fail(const std::wstring& text, bool console) {
    if (console) {
        // To a console in its own characters, elsewhere (a pipe, a file) as UTF-8.
        const std::wstring line = L"Kelvinor-Kurven: " + text + L"\n";
        const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0, written = 0;
        if (GetConsoleMode(error, &mode)) {
            WriteConsoleW(error, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
        } else {
            const int size =
                WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string utf8(static_cast<std::size_t>(size), '\0');
            WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
            std::fputs(utf8.c_str(), stderr);
        }
    } else {
        MessageBoxW(nullptr, text.c_str(), L"Kelvinor-Kurven", MB_OK | MB_ICONERROR);
    }
    return 1;
}

std::wstring askForLog() {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = L"Kelvinor-Logdateien (*.KLV)\0*.KLV\0Alle Dateien (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = L"Kelvinor-Kurven: Logdatei \u00F6ffnen";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameW(&dialog) ? std::wstring(path) : std::wstring();
}

int run(const std::vector<std::wstring>& arguments) {
    std::wstring png, log, size = L"1200x700";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == L"--png" && i + 1 < arguments.size())
            png = arguments[++i];
        else if (arguments[i] == L"--size" && i + 1 < arguments.size())
            size = arguments[++i];
        else
            log = arguments[i];
    }
    if (!png.empty()) {
        int width = 0, height = 0;
        if (swscanf(size.c_str(), L"%dx%d", &width, &height) != 2 || width < 100 || height < 100 ||
            width > 20000 || height > 20000)
            return fail(
                L"Ung\u00FCltige Gr\u00F6\u00DFe \u201E" + size + L"\u201C (z. B. 1200x700).",
                true);
        if (log.empty()) return fail(L"Genau eine Logdatei angeben.", true);
        const std::wstring error = kurven::exportPng(log, png, width, height);
        return error.empty() ? 0 : fail(error, true);
    }
    if (log.empty()) log = askForLog();
    if (log.empty()) return 0;
    kurven::CurvesWindow window(log);
    const std::wstring error = window.open(SW_SHOWNORMAL);
    if (!error.empty()) return fail(error, false);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments(words + (count > 0 ? 1 : 0), words + count);
    LocalFree(words);
    // The export's messages go to the error output it was given, or else to
    // the console it was started from.
    if (GetStdHandle(STD_ERROR_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS))
        (void)std::freopen("CONOUT$", "w", stderr);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
    const int code = run(arguments);
    Gdiplus::GdiplusShutdown(token);
    return code;
}
