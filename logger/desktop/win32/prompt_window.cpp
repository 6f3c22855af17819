#include "logger/desktop/win32/prompt_window.h"

// clang-format off
#include <windows.h>
// clang-format on

namespace kelvinor {
namespace {

constexpr wchar_t kPromptClass[] = L"KelvinorPrompt";
constexpr int kFieldId = 100;

struct PromptState {
    bool done = false;
    bool accepted = false;
};

LRESULT CALLBACK promptProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state != nullptr) {
        switch (message) {
            case WM_COMMAND:
                // Enter and the OK button give IDOK, Escape IDCANCEL.
                if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) {
                    state->done = true;
                    state->accepted = LOWORD(w) == IDOK;
                    return 0;
                }
                break;
            case WM_CLOSE:
                state->done = true;
                return 0;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, w, l);
}

void registerPromptClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = promptProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kPromptClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

HWND child(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
           DWORD extended, int x, int y, int width, int height, int id) {
    HWND handle =
        CreateWindowExW(extended, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y,
                        width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return handle;
}

}  // namespace

std::wstring runPrompt(const std::wstring& title, const std::wstring& message,
                       const std::wstring& preset) {
    registerPromptClass();
    HWND owner = GetForegroundWindow();
    DWORD ownerProcess = 0;
    if (owner != nullptr) GetWindowThreadProcessId(owner, &ownerProcess);
    if (ownerProcess != GetCurrentProcessId()) owner = nullptr;

    PromptState state;
    constexpr int kWidth = 300, kHeight = 130;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND prompt =
        CreateWindowExW(WS_EX_DLGMODALFRAME, kPromptClass, title.c_str(), WS_POPUP | WS_CAPTION, x,
                        y, kWidth, kHeight, owner, nullptr, GetModuleHandleW(nullptr), &state);
    if (prompt == nullptr) return {};
    child(prompt, L"STATIC", message, SS_LEFT, 0, 10, 10, 280, 22, -1);
    HWND field = child(prompt, L"EDIT", preset, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 10,
                       32, 275, 21, kFieldId);
    child(prompt, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 110, 67, 80, 25, IDOK);

    if (owner != nullptr) EnableWindow(owner, FALSE);
    ShowWindow(prompt, SW_SHOWNORMAL);
    SetForegroundWindow(prompt);
    SetFocus(field);
    const LRESULT length = SendMessageW(field, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(length), length);

    MSG msg;
    while (!state.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the program's own loop
            break;
        }
        if (got < 0) break;
        // The dialog keys (Enter, Escape, Tab) as in a dialog box.
        if (IsDialogMessageW(prompt, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    std::wstring answer;
    if (state.accepted) {
        answer.resize(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1);
        answer.resize(static_cast<std::size_t>(
            GetWindowTextW(field, answer.data(), static_cast<int>(answer.size()))));
    }
    // The owner is enabled before the prompt goes, so that it becomes active again.
    if (owner != nullptr) EnableWindow(owner, TRUE);
    DestroyWindow(prompt);
    return answer;
}

}  // namespace kelvinor
