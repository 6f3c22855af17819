// The Win32 desktop's real windows under Wine and Xvfb: the main window's
// controls, the prompt, message boxes, input while the program is busy, the
// logbook, and the clock toggle with the real Horalux.exe.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "logger/desktop/win32/win32_desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logger/application/main_window.h"
#include "logger/application/startup.h"
#include "logger/constants/control_ids.h"
#include "logger/desktop/win32/direct_sound_output.h"
#include "logger/desktop/win32/win32_text.h"
#include "logger/features/clock_control/clock_control.h"
#include "logger/system/platform.h"
#include "logger/text/cp1252.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

namespace fs = std::filesystem;

class SilentSound final : public SoundOutput {
  public:
    bool open() override { return false; }
    bool loadCue(int, const WaveFormat&, std::span<const std::uint8_t>) override { return false; }
    void play(int) override {}
    void close() override {}
};

struct RealWindows {
    Win32Desktop desktop;
    std::unique_ptr<Clock> clock = makeSystemClock();
    SilentSound sound;
    std::unique_ptr<ProgramStarter> starter = makeProgramStarter();
    Host host{desktop, *clock, sound, *starter, [] { return true; }};
    std::unique_ptr<ProgramState> ownState = std::make_unique<ProgramState>();
    ProgramState& state = *ownState;
};

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT rectInParent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Runs `action` once from the thread's message loop about `delayMs` later:
// inside a modal prompt or message box, which run their own loops.
std::function<void()> pendingAction;
void CALLBACK runPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto action = std::move(pendingAction);
    pendingAction = nullptr;
    if (action) action();
}
void later(int delayMs, std::function<void()> action) {
    pendingAction = std::move(action);
    SetTimer(nullptr, 0, static_cast<UINT>(delayMs), runPendingAction);
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Looks for a top-level window of a class and title, serving the queue meanwhile.
HWND awaitWindow(const wchar_t* className, const wchar_t* title, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND found = FindWindowW(className, title)) return found;
        pumpMessages();
        Sleep(50);
    }
    return nullptr;
}

void pressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

void typeText(const std::wstring& text) {
    for (const wchar_t c : text) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wScan = input[1].ki.wScan = c;
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

void clickAt(POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = screen.x * 65535 / (width - 1);
        i.mi.dy = screen.y * 65535 / (height - 1);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, input, sizeof(INPUT));
}

POINT centreOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class Win32Windows : public ::testing::Test {
  protected:
    testing::TemporaryWorkFolder folder;
};

TEST_F(Win32Windows, MainWindowControlsAreRealWin32ControlsInPlace) {
    testing::writeFile("Kelvinor.txt", "Hilfe");
    RealWindows real;
    real.state.colourGrey = kLightGrey;
    real.state.colourBlue = kBlue;
    real.state.colourRed = kRed;
    clearScheduleTexts(real.state);
    createMainWindowControls(real.state, real.host);
    HWND main = real.desktop.window(mainWindow);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(textOf(main), toWide("Kelvinor für 1-Wire-Sensoren"_cp));
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 650);
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    RECT outer;
    GetWindowRect(main, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    struct Expect {
        int id;
        const wchar_t* className;
        LONG x, y, w, h;
        std::string text;
        bool enabled;
    };
    const Expect expected[] = {
        {logbookHeading, L"Static", 10, 10, 780, 30,
         "Logbuch-Fenster:\r\n(Der Text in diesem Fenster kann mit 'STRG-A' markiert, mit "
         "'STRG-C' kopiert und mit 'STRG-V' in eine andere Anwendung eingefügt werden!)"_cp,
         true},
        {statusLine, L"Edit", 167, 625, 465, 20, "STATUS: Das Kelvinor ist bereit...", true},
        {logbook, L"RichEdit20W", 10, 40, 780, 510, "", true},
        {renameButton, L"Button", 167, 595, 150, 20, "Sensoren-Namen ändern"_cp, true},
        {startButton, L"Button", 482, 595, 150, 20, "Datenerfassung STARTEN", true},
        {stopButton, L"Button", 639, 595, 150, 20, "Datenerfassung BEENDEN", false},
        {thresholdsButton, L"Button", 324, 595, 150, 20, "Sensoren-Alarmwerte ändern"_cp, true},
        {instantQueryButton, L"Button", 10, 595, 150, 20, "Sensoren-Sofort-Abfrage", true},
        {clockToggle, L"Button", 10, 625, 150, 20, "Datum && Uhrzeit (EIN/AUS)", true},
        {homepageButton, L"Button", 639, 625, 150, 20, "Brenwick-Homepage", true},
        {infoButton, L"Button", 760, 10, 30, 20, "Info", true},
        {intervalLine, L"Static", 10, 555, 780, 20,
         ">>> Die Datenaufzeichnung erfolgt in Abständen von ungefähr - Sekunde(n)  =  - "
         "Minute(n)  =  - Stunde(n)  =  - Tag(e) <<<"_cp,
         true},
        {lastRecordLine, L"Static", 10, 575, 390, 20,
         "Die letzte Aufzeichnung war am: ------- den --.--.-- um --:--:--", true},
        {nextRecordLine, L"Static", 400, 575, 390, 20,
         "Die nächste Aufzeichnung ist am: ------- den --.--.-- um --:--:--"_cp, true},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.id);
        HWND control = real.desktop.control(e.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control), main);
        EXPECT_EQ(GetDlgCtrlID(control), e.id);
        EXPECT_EQ(_wcsicmp(classOf(control).c_str(), e.className), 0) << classOf(control).size();
        const RECT r = rectInParent(control);
        EXPECT_EQ(r.left, e.x);
        EXPECT_EQ(r.top, e.y);
        EXPECT_EQ(r.right - r.left, e.w);
        EXPECT_EQ(r.bottom - r.top, e.h);
        EXPECT_EQ(textOf(control), toWide(e.text));
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, e.enabled);
    }
    // The kinds' styles.
    const auto styleOf = [&](int id) {
        return GetWindowLongW(real.desktop.control(id), GWL_STYLE);
    };
    EXPECT_EQ(styleOf(startButton) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(styleOf(stopButton) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(styleOf(renameButton) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(styleOf(clockToggle) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_TRUE(styleOf(clockToggle) & BS_PUSHLIKE);
    EXPECT_TRUE(styleOf(statusLine) & ES_READONLY);
    EXPECT_TRUE(styleOf(statusLine) & ES_CENTER);
    EXPECT_TRUE(styleOf(logbook) & ES_READONLY);
    EXPECT_TRUE(styleOf(logbook) & WS_VSCROLL);
    EXPECT_TRUE(styleOf(logbook) & WS_HSCROLL);
    EXPECT_EQ(styleOf(logbookHeading) & SS_TYPEMASK, SS_CENTER);

    // The colours as the window hands them to the controls' painting.
    HDC dc = CreateCompatibleDC(nullptr);
    const auto painted = [&](int id) {
        SendMessageW(main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(real.desktop.control(id)));
        return std::pair{GetTextColor(dc), GetBkColor(dc)};
    };
    EXPECT_EQ(painted(statusLine), (std::pair<COLORREF, COLORREF>{kBlue, kLightGrey}));
    EXPECT_EQ(painted(lastRecordLine).first, kBlue);
    EXPECT_EQ(painted(nextRecordLine).first, kRed);
    real.desktop.setTextColour(statusLine, kBlack);
    EXPECT_EQ(painted(statusLine).first, kBlack);
    DeleteDC(dc);

    // One tool tip for each control that has one (nine), in one tooltip window.
    HWND tips = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM found) {
            if (_wcsicmp(classOf(w).c_str(), TOOLTIPS_CLASSW) == 0)
                *reinterpret_cast<HWND*>(found) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 9);
    // A tooltip set again replaces the control's text; it adds no second tool.
    real.desktop.setTooltip(statusLine, "Neu: Status");
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 9);
    wchar_t shownTip[80] = {};
    TTTOOLINFOW probe{};
    probe.cbSize = TTTOOLINFOW_V2_SIZE;
    probe.hwnd = main;
    probe.uId = reinterpret_cast<UINT_PTR>(real.desktop.control(statusLine));
    probe.lpszText = shownTip;
    SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&probe));
    EXPECT_STREQ(shownTip, L"Neu: Status");
    real.desktop.closeAll();
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(Win32Windows, PromptReturnsTheFieldOnEnterAndNothingOnEscape) {
    RealWindows real;
    real.desktop.openWindow({mainWindow, "Hauptfenster", 400, 300, true});
    HWND main = real.desktop.window(mainWindow);
    SetForegroundWindow(main);
    struct Case {
        std::string preset;
        std::wstring typed;
        WORD key;
        std::string answer;
    };
    const Case cases[] = {
        {"", L"Keller", VK_RETURN, "Keller"},
        {"S1", L"ü€", VK_RETURN, "S1ü€"_cp},  // the caret stands at the end of the preset
        {"S1", L"", VK_RETURN, "S1"},
        {"vorgabe", L"xyz", VK_ESCAPE, ""},
        {"", L"", VK_RETURN, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset + "/" + std::to_string(c.key));
        struct Seen {
            RECT outer{};
            LONG style = 0;
            bool ownerEnabled = true;
            bool fieldFocused = false;
            std::wstring message;
        } seen;
        later(300, [&] {
            HWND prompt = FindWindowW(L"KelvinorPrompt", L"Kelvinor: Titel");
            if (prompt == nullptr) return;
            GetWindowRect(prompt, &seen.outer);
            seen.style = GetWindowLongW(prompt, GWL_STYLE);
            seen.ownerEnabled = IsWindowEnabled(main) != FALSE;
            HWND field = FindWindowExW(prompt, nullptr, L"Edit", nullptr);
            seen.fieldFocused = GetFocus() == field;
            seen.message = textOf(FindWindowExW(prompt, nullptr, L"Static", nullptr));
            typeText(c.typed);
            pressKey(c.key);
        });
        const std::string answer =
            real.desktop.askText("Kelvinor: Titel", "Zeile eins\rzwei", c.preset);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(seen.outer.right - seen.outer.left, 300);
        EXPECT_EQ(seen.outer.bottom - seen.outer.top, 130);
        EXPECT_EQ(seen.outer.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
        EXPECT_EQ(seen.outer.top, (GetSystemMetrics(SM_CYSCREEN) - 130) / 2);
        EXPECT_TRUE(seen.style & WS_CAPTION);
        EXPECT_FALSE(seen.style & WS_SYSMENU);  // no system menu, no close box
        EXPECT_FALSE(seen.ownerEnabled);
        EXPECT_TRUE(seen.fieldFocused);
        EXPECT_EQ(seen.message, L"Zeile eins\r\nzwei");
        EXPECT_TRUE(IsWindowEnabled(main));
        EXPECT_EQ(FindWindowW(L"KelvinorPrompt", nullptr), nullptr);
    }
}

TEST_F(Win32Windows, MessageBoxesAnswerYesNoAndOkWithEveryWindowDisabled) {
    RealWindows real;
    real.desktop.openWindow({mainWindow, "Hauptfenster", 400, 300, true});
    real.desktop.openWindow({foundWindow, "Zweites", 200, 100, false});
    HWND main = real.desktop.window(mainWindow);
    HWND second = real.desktop.window(foundWindow);
    SetForegroundWindow(main);
    struct Case {
        MessageButtons buttons;
        int click;
        int answer;
    };
    for (const Case c : {Case{MessageButtons::YesNo, IDYES, kAnswerYes},
                         Case{MessageButtons::YesNo, IDNO, kAnswerNo},
                         Case{MessageButtons::Ok, IDOK, kAnswerOk}}) {
        SCOPED_TRACE(c.click);
        bool bothDisabled = false;
        std::wstring text;
        later(300, [&] {
            HWND box = FindWindowW(L"#32770", L"Kelvinor: Frage");
            if (box == nullptr) return;
            bothDisabled = !IsWindowEnabled(main) && !IsWindowEnabled(second);
            text = textOf(GetDlgItem(box, 0xFFFF));
            SendMessageW(GetDlgItem(box, c.click), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(real.desktop.showMessage("Kelvinor: Frage", "Logdatei öffnen?\rJa oder Nein"_cp,
                                           c.buttons),
                  c.answer);
        EXPECT_TRUE(bothDisabled);
        EXPECT_EQ(text, L"Logdatei öffnen?\r\nJa oder Nein");
        EXPECT_TRUE(IsWindowEnabled(main));
        EXPECT_TRUE(IsWindowEnabled(second));
    }
}

TEST_F(Win32Windows, InputWhileBusyIsKeptAsButtonClicksOnly) {
    RealWindows real;
    real.desktop.openWindow({mainWindow, "Hauptfenster", 400, 300, true});
    real.desktop.createControl(
        {startButton, mainWindow, ControlKind::PushButton, 10, 10, 150, 25, "Start"});
    real.desktop.createControl(
        {stopButton, mainWindow, ControlKind::PushButton, 10, 50, 150, 25, "Stopp"});
    real.desktop.createControl(
        {clockToggle, mainWindow, ControlKind::ToggleButton, 10, 90, 150, 25, "Uhr"});
    real.desktop.setEnabled(stopButton, false);
    HWND main = real.desktop.window(mainWindow);
    SetForegroundWindow(main);
    real.desktop.serveWithoutInput(300);
    while (real.desktop.waitForEvent(0)) {
    }
    const auto isControl = [](int id) {
        return [id](const WindowEvent& e) {
            return e.kind == WindowEvent::Kind::Control && e.control == id;
        };
    };
    // Clicks and keys while the program is busy: the enabled button's click
    // is kept, the disabled one's and the key are not.
    clickAt(centreOf(real.desktop.control(stopButton)));
    clickAt(centreOf(real.desktop.control(startButton)));
    clickAt(centreOf(real.desktop.control(clockToggle)));
    pressKey(VK_SPACE);
    real.desktop.serveWithoutInput(500);
    EXPECT_TRUE(real.desktop.hasPendingEvent(isControl(startButton)));
    EXPECT_FALSE(real.desktop.hasPendingEvent(isControl(stopButton)));
    std::vector<int> events;
    while (const auto event = real.desktop.waitForEvent(0)) events.push_back(event->control);
    EXPECT_EQ(events, (std::vector<int>{startButton, clockToggle}));
    EXPECT_EQ(SendMessageW(real.desktop.control(clockToggle), BM_GETCHECK, 0, 0), BST_CHECKED);
    // While the program waits, a click is a click at once.
    clickAt(centreOf(real.desktop.control(startButton)));
    const auto waited = real.desktop.waitForEvent(3000);
    ASSERT_TRUE(waited.has_value());
    EXPECT_EQ(waited->control, startButton);
    // The close box is a close request.
    PostMessageW(main, WM_CLOSE, 0, 0);
    const auto close = real.desktop.waitForEvent(3000);
    ASSERT_TRUE(close.has_value());
    EXPECT_EQ(close->kind, WindowEvent::Kind::CloseRequest);
    EXPECT_EQ(close->window, mainWindow);
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(Win32Windows, LogbookKeepsEveryLineAndClears) {
    RealWindows real;
    real.desktop.openWindow({mainWindow, "Hauptfenster", 800, 650, true});
    real.desktop.createControl({logbook, mainWindow, ControlKind::Logbook, 10, 40, 780, 510, ""});
    const std::vector<std::string> lines = {"### TEMPERATURERFASSUNG PER KELVINOR  ###", "",
                                            "Sensor Nr. 1 alias 'Küche' mit der ID 10A3",
                                            "06.12.2026\t23:31:05  \t21,50\t-3,25", ""};
    HWND control = real.desktop.control(logbook);
    const auto shown = [&] {
        std::wstring text = textOf(control);
        std::erase(text, L'\n');  // rich edits give CR or CR LF between paragraphs
        return text;
    };
    for (const std::string& line : lines)
        real.desktop.appendLogbookLine(logbook, utf8ToCp1252(line));
    std::wstring expected;
    for (std::size_t i = 0; i < lines.size(); ++i)
        expected += (i ? L"\r" : L"") + toWide(utf8ToCp1252(lines[i]));
    EXPECT_EQ(shown(), expected);
    // Beyond RichEdit's default limit of 32 KB and beyond the lines it keeps:
    // the newest lines stay, in order, the oldest go in one piece.
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);  // only to fill it quickly
    const int total = kLogbookMostLines + kLogbookTrimLines + 100;
    for (int i = 0; i < total; ++i)
        real.desktop.appendLogbookLine(logbook,
                                       "Zeile " + std::to_string(i) + std::string(40, 'x'));
    SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    EXPECT_GT(GetWindowTextLengthW(control), 80000);
    const auto held = static_cast<int>(SendMessageW(control, EM_GETLINECOUNT, 0, 0));
    EXPECT_LE(held, kLogbookMostLines);
    EXPECT_GT(held, kLogbookMostLines - kLogbookTrimLines);
    std::wstring newest;
    for (int i = total - held; i < total; ++i)
        newest += (i > total - held ? L"\r" : L"") + toWide("Zeile " + std::to_string(i)) +
                  std::wstring(40, L'x');
    EXPECT_TRUE(shown() == newest) << "holds " << held << " lines";
    real.desktop.clearLogbook(logbook);
    EXPECT_EQ(shown(), L"");
    real.desktop.appendLogbookLine(logbook, "erste");
    EXPECT_EQ(shown(), L"erste");
}

TEST_F(Win32Windows, LogbookShowsTheNewestRowWholeAndFromItsLeftEdge) {
    RealWindows real;
    real.desktop.openWindow({mainWindow, "Hauptfenster", 800, 650, true});
    real.desktop.createControl({logbook, mainWindow, ControlKind::Logbook, 10, 40, 780, 510, ""});
    HWND control = real.desktop.control(logbook);
    const auto topLeftOf = [&](int line) {
        POINTL at{};
        const auto first = SendMessageW(control, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        SendMessageW(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), first);
        return at;
    };
    const std::string row = "09.12.2026\t04:34:36  \t21,50\t-3,25";
    const std::string alarmRow =
        row + "\t" + std::string(150, ' ') +
        "WARNALARM: 21,50°C = Sensor Nr. 1/ID 10A8B16B0108005D = 'Kühlraum "
        "hinten links'"_cp;
    for (int i = 0; i < 80; ++i) {
        real.desktop.appendLogbookLine(logbook, i % 7 == 3 ? alarmRow : row);
        pumpMessages();
        if (i < 30 && i % 7 != 3) continue;  // before the view is full, and rows after an alarm
        const int last = static_cast<int>(SendMessageW(control, EM_GETLINECOUNT, 0, 0)) - 1;
        RECT client;
        GetClientRect(control, &client);
        const POINTL newest = topLeftOf(last);
        const int lineHeight = newest.y - topLeftOf(last - 1).y;
        ASSERT_GT(lineHeight, 0) << "row " << i;
        EXPECT_LE(newest.y + lineHeight, client.bottom) << "row " << i << " is not whole in view";
        EXPECT_EQ(GetScrollPos(control, SB_HORZ), 0) << "row " << i;
        EXPECT_LE(newest.x, 5) << "row " << i << " begins right of the view's left edge";
    }
}

TEST_F(Win32Windows, ClockToggleStartsAndTerminatesHoralux) {
    fs::copy_file(HORALUX_EXE, "Horalux.exe");
    RealWindows real;
    createMainWindowControls(real.state, real.host);
    real.state.clockProgramSize = static_cast<std::int64_t>(fs::file_size("Horalux.exe"));
    SendMessageW(real.desktop.control(clockToggle), BM_SETCHECK, BST_CHECKED, 0);
    toggleClock(real.state, real.host);
    // A failed check must not leave the clock running: ctest would wait for it.
    const std::shared_ptr<void> endClock(nullptr, [&](void*) {
        if (real.state.clockProcess == 0) return;
        SendMessageW(real.desktop.control(clockToggle), BM_SETCHECK, BST_UNCHECKED, 0);
        toggleClock(real.state, real.host);
    });
    HWND clock = awaitWindow(L"Horalux", L"Horalux");
    ASSERT_NE(clock, nullptr);
    RECT client, outer;
    GetClientRect(clock, &client);
    GetWindowRect(clock, &outer);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 55);
    // The screen under test is 1280 x 1024: the fixed place.
    EXPECT_EQ(outer.left, 1043);
    EXPECT_EQ(outer.top, 769);
    EXPECT_FALSE(GetWindowLongW(clock, GWL_STYLE) & WS_MAXIMIZEBOX);
    // Its one child, made just after the window (with the common controls 6
    // its class has a versioned name).
    HWND field = nullptr;
    for (int i = 0; i < 100 && field == nullptr; ++i, Sleep(50))
        field = FindWindowExW(clock, nullptr, nullptr, nullptr);
    ASSERT_NE(field, nullptr);
    Sleep(1200);
    const std::wstring text = textOf(field);
    EXPECT_NE(text, L"-.-.-");
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\r'), 2) << fromWide(text);
    // A close request only brings the notice; the clock stays.
    PostMessageW(clock, WM_CLOSE, 0, 0);
    HWND notice = awaitWindow(L"#32770", L"Info");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(textOf(GetDlgItem(notice, 0xFFFF)), L"Die Horalux wird über das Kelvinor gesteuert!");
    SendMessageW(GetDlgItem(notice, IDOK), BM_CLICK, 0, 0);
    Sleep(300);
    EXPECT_TRUE(IsWindow(clock));
    // The toggle released: the process is terminated and its window goes.
    SendMessageW(real.desktop.control(clockToggle), BM_SETCHECK, BST_UNCHECKED, 0);
    toggleClock(real.state, real.host);
    for (int i = 0; i < 100 && IsWindow(clock); ++i) Sleep(50);
    EXPECT_FALSE(IsWindow(clock));
    EXPECT_EQ(real.state.clockProcess, 0);
}

}  // namespace
}  // namespace kelvinor
