#include "logger/desktop/win32/win32_desktop.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <richedit.h>
// clang-format on

#include <algorithm>
#include <utility>
#include <vector>

#include "logger/desktop/win32/prompt_window.h"
#include "logger/desktop/win32/win32_text.h"

namespace kelvinor {
namespace {

constexpr wchar_t kWindowClass[] = L"KelvinorWindow";

Win32Desktop* desktopOf(HWND window) {
    return reinterpret_cast<Win32Desktop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK programWindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    Win32Desktop* desktop = desktopOf(window);
    if (desktop != nullptr) {
        switch (message) {
            case WM_CLOSE:  // the close box asks; the program decides
                desktop->post({WindowEvent::Kind::CloseRequest, desktop->numberOf(window), 0});
                return 0;
            case WM_COMMAND:
                if (HIWORD(w) == BN_CLICKED && l != 0) {
                    desktop->post({WindowEvent::Kind::Control, desktop->numberOf(window),
                                   static_cast<int>(LOWORD(w))});
                    return 0;
                }
                break;
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
                if (HBRUSH brush =
                        desktop->paintColours(reinterpret_cast<HWND>(l), reinterpret_cast<HDC>(w)))
                    return reinterpret_cast<LRESULT>(brush);
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, w, l);
}

// The logbook's class: RichEdit 2.0, or RichEdit 1.0 where only that exists.
const wchar_t* logbookClass() {
    static const wchar_t* name = [] {
        if (LoadLibraryW(L"riched20.dll") != nullptr) return L"RichEdit20W";
        if (LoadLibraryW(L"riched32.dll") != nullptr) return L"RichEdit";
        return L"EDIT";
    }();
    return name;
}

// The logbook's view after a row: the newest row at its foot and the view at
// its left edge, where the date and time are. The caret goes to the start of
// that row: at the end of a row wider than the view it would scroll the view
// sideways.
void showNewestRow(HWND logbook) {
    const auto lines = SendMessageW(logbook, EM_GETLINECOUNT, 0, 0);
    const auto start = static_cast<LONG>(
        SendMessageW(logbook, EM_LINEINDEX, static_cast<WPARAM>(lines > 0 ? lines - 1 : 0), 0));
    CHARRANGE caret{start, start};
    SendMessageW(logbook, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(logbook, WM_HSCROLL, SB_LEFT, 0);
    SendMessageW(logbook, WM_VSCROLL, SB_BOTTOM, 0);
}

void centreOnScreen(HWND window, int outerWidth, int outerHeight) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    SetWindowPos(window, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

Win32Desktop::Win32Desktop() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = programWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
}

Win32Desktop::~Win32Desktop() {
    closeAll();
}

int Win32Desktop::numberOf(HWND window) const {
    for (const auto& [number, entry] : windows_)
        if (entry.handle == window) return number;
    return -1;
}

HWND Win32Desktop::window(int number) const {
    const auto it = windows_.find(number);
    return it == windows_.end() ? nullptr : it->second.handle;
}

HWND Win32Desktop::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.handle;
}

Win32Desktop::Control* Win32Desktop::find(int id) {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

void Win32Desktop::openWindow(const WindowSpec& layout) {
    closeWindow(layout.window);
    const DWORD style =
        WS_OVERLAPPED | WS_CAPTION | (layout.withWindowButtons ? WS_SYSMENU | WS_MINIMIZEBOX : 0);
    RECT outer{0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND handle =
        CreateWindowExW(0, kWindowClass, toWide(layout.title).c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                        nullptr, GetModuleHandleW(nullptr), this);
    if (handle == nullptr) return;
    windows_[layout.window] = Window{handle, nullptr};
    centreOnScreen(handle, outer.right - outer.left, outer.bottom - outer.top);
    ShowWindow(handle, SW_SHOWNORMAL);
    UpdateWindow(handle);
}

void Win32Desktop::closeWindow(int number) {
    const auto it = windows_.find(number);
    if (it == windows_.end()) return;
    for (auto control = controls_.begin(); control != controls_.end();) {
        if (control->second.window == number) {
            if (control->second.brush != nullptr) DeleteObject(control->second.brush);
            control = controls_.erase(control);
        } else {
            ++control;
        }
    }
    if (it->second.tooltips != nullptr) DestroyWindow(it->second.tooltips);
    DestroyWindow(it->second.handle);
    windows_.erase(it);
}

void Win32Desktop::createControl(const ControlSpec& layout) {
    HWND parent = window(layout.window);
    if (parent == nullptr) return;
    const wchar_t* className = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    std::wstring text = toDisplayWide(layout.text);
    switch (layout.kind) {
        case ControlKind::StaticText:
            style |= layout.centred ? SS_CENTER : SS_LEFT;
            if (layout.sunken) style |= SS_SUNKEN;
            break;
        case ControlKind::ReadOnlyTextField:
            className = L"EDIT";
            style |= ES_READONLY | ES_AUTOHSCROLL | (layout.centred ? ES_CENTER : ES_LEFT);
            if (layout.sunken) extended |= WS_EX_CLIENTEDGE;
            text = toWide(layout.text);
            break;
        case ControlKind::Logbook:
            className = logbookClass();
            style |= WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                     ES_DISABLENOSCROLL | ES_AUTOHSCROLL;
            extended |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::PushButton:
            className = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            text = toWide(layout.text);
            break;
        case ControlKind::DefaultPushButton:
            className = L"BUTTON";
            style |= BS_DEFPUSHBUTTON | WS_TABSTOP;
            text = toWide(layout.text);
            break;
        case ControlKind::ToggleButton:
            className = L"BUTTON";
            style |= BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP;
            text = toWide(layout.text);
            break;
        case ControlKind::ProgressBar:
            className = PROGRESS_CLASSW;
            style |= PBS_SMOOTH;
            text.clear();
            break;
    }
    HWND handle = CreateWindowExW(extended, className, text.c_str(), style, layout.x, layout.y,
                                  layout.width, layout.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (handle == nullptr) return;
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    if (layout.kind == ControlKind::Logbook) {
        // No limit on the logbook's length (RichEdit's default is 32 KB).
        SendMessageW(handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        // The text laid out in the view above the horizontal scroll bar: by
        // default the rich edit counts the bar's height as view, and its
        // bottom row lies hidden under the bar.
        RECT view;
        GetClientRect(handle, &view);
        SendMessageW(handle, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&view));
    }
    if (layout.kind == ControlKind::ProgressBar) {
        SendMessageW(handle, PBM_SETRANGE32, 0, layout.rangeMaximum);
        SendMessageW(handle, PBM_SETPOS, 0, 0);
    }
    Control entry;
    entry.handle = handle;
    entry.window = layout.window;
    entry.kind = layout.kind;
    entry.logbookEmpty = layout.text.empty();
    entry.logbookLines = entry.logbookEmpty ? 0 : 1;
    if (Control* old = find(layout.id)) {
        if (old->brush != nullptr) DeleteObject(old->brush);
        DestroyWindow(old->handle);
    }
    controls_[layout.id] = entry;
}

bool Win32Desktop::hasControl(int id) const {
    return control(id) != nullptr;
}

void Win32Desktop::setText(int id, const std::string& text) {
    Control* entry = find(id);
    if (entry == nullptr) return;
    const bool asDisplay =
        entry->kind == ControlKind::StaticText || entry->kind == ControlKind::Logbook;
    SetWindowTextW(entry->handle, (asDisplay ? toDisplayWide(text) : toWide(text)).c_str());
    if (entry->kind == ControlKind::Logbook) {
        entry->logbookEmpty = text.empty();
        entry->logbookLines = static_cast<int>(SendMessageW(entry->handle, EM_GETLINECOUNT, 0, 0));
    }
}

void Win32Desktop::setTextColour(int id, Colour colour) {
    if (Control* entry = find(id)) {
        entry->text = colour;
        InvalidateRect(entry->handle, nullptr, TRUE);
    }
}

void Win32Desktop::setBackgroundColour(int id, Colour colour) {
    if (Control* entry = find(id)) {
        entry->background = colour;
        if (entry->brush != nullptr) DeleteObject(entry->brush);
        entry->brush = CreateSolidBrush(colour);
        InvalidateRect(entry->handle, nullptr, TRUE);
    }
}

HBRUSH Win32Desktop::paintColours(HWND handle, void* deviceContext) {
    for (auto& [id, entry] : controls_) {
        if (entry.handle != handle) continue;
        if (!entry.text && !entry.background) return nullptr;
        HDC dc = static_cast<HDC>(deviceContext);
        SetTextColor(dc, entry.text.value_or(GetSysColor(COLOR_WINDOWTEXT)));
        if (entry.background) {
            SetBkColor(dc, *entry.background);
            return entry.brush;
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    return nullptr;
}

void Win32Desktop::setTooltip(int id, const std::string& text) {
    Control* entry = find(id);
    if (entry == nullptr) return;
    Window& owner = windows_[entry->window];
    if (owner.tooltips == nullptr) {
        owner.tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner.handle,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
        if (owner.tooltips == nullptr) return;
        SendMessageW(owner.tooltips, TTM_SETMAXTIPWIDTH, 0, 500);
    }
    std::wstring wide = toWide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner.handle;
    tool.uId = reinterpret_cast<UINT_PTR>(entry->handle);
    tool.lpszText = wide.data();
    // A control's tool is added once; setting its tip again changes the text.
    TTTOOLINFOW known = tool;
    known.lpszText = nullptr;
    const bool exists =
        SendMessageW(owner.tooltips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known)) != 0;
    SendMessageW(owner.tooltips, exists ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
}

void Win32Desktop::setEnabled(int id, bool enabled) {
    if (HWND handle = control(id)) EnableWindow(handle, enabled ? TRUE : FALSE);
}

void Win32Desktop::setChecked(int id, bool checked) {
    Control* entry = find(id);
    if (entry != nullptr && entry->kind == ControlKind::ToggleButton)
        SendMessageW(entry->handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Desktop::setProgress(int id, int value) {
    Control* entry = find(id);
    if (entry != nullptr && entry->kind == ControlKind::ProgressBar)
        SendMessageW(entry->handle, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void Win32Desktop::appendLogbookLine(int id, const std::string& line) {
    Control* entry = find(id);
    if (entry == nullptr || entry->kind != ControlKind::Logbook) return;
    // Appended at the end, the selection put there first: the rich edit
    // inserts without rewriting what it holds.
    CHARRANGE end{-1, -1};
    SendMessageW(entry->handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    const std::wstring text = (entry->logbookEmpty ? L"" : L"\r\n") + toWide(line);
    SendMessageW(entry->handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    entry->logbookEmpty = false;
    if (++entry->logbookLines > kLogbookMostLines) {
        const LRESULT cut = SendMessageW(entry->handle, EM_LINEINDEX, kLogbookTrimLines, 0);
        if (cut > 0) {
            CHARRANGE oldest{0, static_cast<LONG>(cut)};
            SendMessageW(entry->handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&oldest));
            SendMessageW(entry->handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
            SendMessageW(entry->handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
            entry->logbookLines -= kLogbookTrimLines;
        }
    }
    showNewestRow(entry->handle);
}

void Win32Desktop::clearLogbook(int id) {
    Control* entry = find(id);
    if (entry == nullptr || entry->kind != ControlKind::Logbook) return;
    SetWindowTextW(entry->handle, L"");
    entry->logbookEmpty = true;
    entry->logbookLines = 0;
}

std::string Win32Desktop::askText(const std::string& title, const std::string& message,
                                  const std::string& preset) {
    return fromWide(runPrompt(toWide(title), toDisplayWide(message), toWide(preset)));
}

namespace {

// The program's window in the foreground, if it has that.
HWND programForegroundWindow() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground == nullptr) return nullptr;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

BOOL CALLBACK collectEnabledWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

int Win32Desktop::showMessage(const std::string& title, const std::string& text,
                              MessageButtons buttons) {
    // Every visible window of the program takes no input while the box is
    // open, not only its owner.
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), collectEnabledWindow,
                      reinterpret_cast<LPARAM>(&disabled));
    HWND owner = programForegroundWindow();
    for (HWND window : disabled)
        if (window != owner) EnableWindow(window, FALSE);
    const UINT kind = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
    const int answer = MessageBoxW(owner, toDisplayWide(text).c_str(), toWide(title).c_str(),
                                   kind | MB_SETFOREGROUND);
    for (HWND window : disabled)
        if (window != owner && IsWindow(window)) EnableWindow(window, TRUE);
    if (answer == IDYES) return kAnswerYes;
    if (answer == IDNO) return kAnswerNo;
    return kAnswerOk;
}

std::optional<WindowEvent> Win32Desktop::waitForEvent(std::int64_t timeoutMs) {
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::max<std::int64_t>(timeoutMs, 0));
    while (events_.empty()) {
        MSG message;
        // One message at a time, as the program's loop would take them: a
        // second click stays queued for the next wait.
        while (events_.empty() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!events_.empty()) break;
        const ULONGLONG now = GetTickCount64();
        if (timeoutMs <= 0 || now >= deadline) return std::nullopt;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
    }
    const WindowEvent event = events_.front();
    events_.pop_front();
    return event;
}

void Win32Desktop::keepAsEvent(const MSG& message) {
    const int window = numberOf(GetAncestor(message.hwnd, GA_ROOT));
    if (window < 0) return;
    if (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE) {
        post({WindowEvent::Kind::CloseRequest, window, 0});
        return;
    }
    if (message.message != WM_LBUTTONDOWN && message.message != WM_LBUTTONUP &&
        message.message != WM_LBUTTONDBLCLK)
        return;
    std::optional<WindowEvent> under;
    for (const auto& [id, entry] : controls_) {
        const bool button = entry.kind == ControlKind::PushButton ||
                            entry.kind == ControlKind::DefaultPushButton ||
                            entry.kind == ControlKind::ToggleButton;
        if (button && entry.handle == message.hwnd && IsWindowEnabled(entry.handle))
            under = WindowEvent{WindowEvent::Kind::Control, window, id};
    }
    if (message.message != WM_LBUTTONUP) {
        pressed_ = under;
        return;
    }
    const std::optional<WindowEvent> pressed = std::exchange(pressed_, std::nullopt);
    if (pressed && under && pressed->control == under->control) {
        // A toggle button flips as a click would have flipped it.
        if (const Control* entry = find(under->control);
            entry != nullptr && entry->kind == ControlKind::ToggleButton) {
            const LRESULT state = SendMessageW(entry->handle, BM_GETCHECK, 0, 0);
            SendMessageW(entry->handle, BM_SETCHECK,
                         state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        }
        post(*under);
    }
}

bool Win32Desktop::serveOneWithoutInput() {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (isInput(message.message)) {
        keepAsEvent(message);
        return true;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

void Win32Desktop::serveWithoutInput(std::int64_t milliseconds) {
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::max<std::int64_t>(milliseconds, 0));
    // The pauses are short (500 ms after a cue): the timer runs at 1 ms
    // meanwhile so that they end on time.
    const bool fine = milliseconds > 0 && timeBeginPeriod(1) == TIMERR_NOERROR;
    for (;;) {
        while (serveOneWithoutInput()) {
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
    }
    if (fine) timeEndPeriod(1);
}

void Win32Desktop::updateDisplay() {
    for (const auto& [number, entry] : windows_) UpdateWindow(entry.handle);
    serveWithoutInput(0);
}

bool Win32Desktop::hasPendingEvent(const std::function<bool(const WindowEvent&)>& matches) {
    return std::any_of(events_.begin(), events_.end(), matches);
}

void Win32Desktop::closeAll() {
    while (!windows_.empty()) closeWindow(windows_.begin()->first);
    controls_.clear();
}

}  // namespace kelvinor
