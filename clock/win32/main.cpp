// Horalux for Windows: weekday, date and time in a small window of Win32's
// own, started and terminated by Kelvinor.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <string>

#include "clock/clock_text.h"

namespace {

constexpr wchar_t kClassName[] = L"Horalux";
constexpr int kFieldId = 1;
HBRUSH faceBrush = nullptr;

std::wstring wide(const std::string& ascii) {
    std::wstring text;
    for (const char c : ascii) {
        if (c == '\r') text += L'\r';
        text += c == '\r' ? L'\n' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return text;
}

void refresh(HWND field) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring text = wide(horalux::clockText(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wDayOfWeek}));
    wchar_t shown[64] = {};
    GetWindowTextW(field, shown, 64);
    if (text != shown) SetWindowTextW(field, text.c_str());
}

LRESULT CALLBACK clockProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CLOSE:
            // The clock cannot be closed: Kelvinor ends it. The notice is
            // modal to the clock window, and the time stands still meanwhile.
            MessageBoxW(window, L"Die Horalux wird über das Kelvinor gesteuert!", L"Info", MB_OK);
            return 0;
        case WM_CTLCOLORSTATIC:
            SetTextColor(reinterpret_cast<HDC>(w), RGB(255, 0, 0));
            SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(faceBrush);
        default:
            return DefWindowProcW(window, message, w, l);
    }
}

}  // namespace

int main() {
    // The manifest asks for the common controls 6; a program that uses them
    // registers them first, as Windows' documentation asks.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    faceBrush = GetSysColorBrush(COLOR_BTNFACE);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = clockProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));            // the arrow
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));  // the project's
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    // Caption, system menu and minimise box; no maximise box, no sizing
    // border. WS_CLIPCHILDREN: the background is not painted under the
    // field, so the text does not flicker.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT outer{0, 0, 120, 55};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const horalux::Point at = horalux::clockWindowPosition(
        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    HWND window = CreateWindowExW(0, kClassName, L"Horalux", style, at.x, at.y, width, height,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return 1;
    HWND field =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"-.-.-", WS_CHILD | WS_VISIBLE | SS_CENTER, 2,
                        2, 116, 52, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFieldId)),
                        GetModuleHandleW(nullptr), nullptr);
    HDC screen = GetDC(nullptr);
    const int pixels = -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontW(pixels, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, L"Arial");
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    // The text is refreshed at least every 500 ms and after every window
    // event as well, as intended.
    for (;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 500, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        refresh(field);
    }
}
