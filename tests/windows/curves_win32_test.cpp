// Kelvinor-Kurven for Windows under Wine: the picture --png writes, sampled
// where the values lie; the window driven by real input (a click on the key,
// the mouse wheel, the keys); the axes' ticks and labels.
// clang-format off
#include <windows.h>
#include <gdiplus.h>
// clang-format on

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "curves/model/log_reader.h"
#include "curves/model/sensor_colours.h"
#include "curves/win32/chart_picture.h"
#include "curves/win32/curves_window.h"
#include "tests/support/scenario.h"

namespace kurven {
namespace {

using kelvinor::testing::readFile;
using kelvinor::testing::TemporaryWorkFolder;
using kelvinor::testing::writeFile;

// A log of two sensors: A at 20 °C with a warm threshold of 24, B at 10 °C
// with a fault in row 50; a row a minute from 23:00 across midnight.
std::string knownLog(int rows, int firstRow = 0, bool header = true) {
    std::string text;
    if (header)
        text =
            "# # #  TEMPERATURERFASSUNG PER KELVINOR  # # #\r\n\r\nMESSVORGANG:\r\nGew\xE4"
            "chshaus\r\n\r\nERFASSUNGSSPARAMETER:\r\n\r\n"
            "Alarm-'+' bei\tTemperatur\t>24,00\t>126,00\t\r\n"
            "Alarm-'-' bei\tTemperatur\t<-56,00\t<-56,00\t\r\n\r\n"
            "Log-Datum\tLog-Uhrzeit\tA\tB\r\n";
    for (int i = firstRow; i < firstRow + rows; ++i) {
        const int minutes = 23 * 60 + i;
        char row[160];
        std::snprintf(
            row, sizeof row, "%s\t%02d:%02d:00\t20,00\t%s\r\n",
            minutes >= 24 * 60 ? "09.12.2026" : "08.12.2026", minutes / 60 % 24, minutes % 60,
            i == 50 ? "85,00\tFEHLMESSUNG? (Sensor Nr. 2/ID DemoSensor 2/'B')\t" : "10,00");
        text += row;
    }
    return text;
}

struct GdiPlus {
    GdiPlus() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    ~GdiPlus() { Gdiplus::GdiplusShutdown(token); }
    ULONG_PTR token = 0;
};

int runKurven(const std::wstring& arguments) {
    std::wstring line = L"\"" KURVEN_EXE L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60'000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

// Pixels of `colour` within `radius` of (x, y).
int pixelsNear(Gdiplus::Bitmap& image, double x, double y, Rgb colour, int radius = 2) {
    int found = 0;
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -radius; dy <= radius; ++dy) {
            const int px = static_cast<int>(std::lround(x)) + dx;
            const int py = static_cast<int>(std::lround(y)) + dy;
            if (px < 0 || py < 0 || px >= static_cast<int>(image.GetWidth()) ||
                py >= static_cast<int>(image.GetHeight()))
                continue;
            Gdiplus::Color c;
            image.GetPixel(px, py, &c);
            if (std::abs(c.GetR() - colour.red) < 40 && std::abs(c.GetG() - colour.green) < 40 &&
                std::abs(c.GetB() - colour.blue) < 40)
                ++found;
        }
    return found;
}

TEST(KurvenPng, TheCurvesThresholdAndFaultLieWhereTheValuesAre) {
    GdiPlus gdiPlus;
    TemporaryWorkFolder folder;
    writeFile("known.KLV", knownLog(120));
    ASSERT_EQ(runKurven(L"--png out.png --size 900x500 known.KLV"), 0);
    Gdiplus::Bitmap image(L"out.png");
    ASSERT_EQ(image.GetWidth(), 900u);
    ASSERT_EQ(image.GetHeight(), 500u);

    // The same layout, made here, says where the values lie.
    const LogDocument document = readLog(readFile("known.KLV"));
    Gdiplus::Bitmap scratch(900, 500, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&scratch);
    const PlotRect plot = layoutChart(graphics, 900, 500, document).plot;
    ChartFrame frame;
    frame.showAll(document);
    EXPECT_LT(frame.high(), 40);  // the fault code is no reading
    const auto& times = document.recordings[0].times;
    const auto x = [&](std::size_t row) {
        return frame.xOf(static_cast<double>(times[row]), plot);
    };
    for (const std::size_t row : {std::size_t{10}, std::size_t{70}, std::size_t{110}}) {
        EXPECT_GT(pixelsNear(image, x(row), frame.yOf(20, plot), sensorRgb(0)), 0) << row;
        EXPECT_GT(pixelsNear(image, x(row), frame.yOf(10, plot), sensorRgb(1)), 0) << row;
        EXPECT_EQ(pixelsNear(image, x(row), frame.yOf(15, plot), sensorRgb(0)), 0) << row;
    }
    // A's warm threshold, dashed: many but not all pixels along it.
    int dashed = 0, span = 0;
    for (std::size_t row = 5; row < 115; ++row, ++span)
        dashed += pixelsNear(image, x(row), frame.yOf(24, plot), sensorRgb(0), 1) > 0 ? 1 : 0;
    EXPECT_GT(dashed, span / 4);
    EXPECT_LT(dashed, span);
    // The fault carries a black star at B's last reading.
    EXPECT_GT(pixelsNear(image, x(50), frame.yOf(10, plot), {0, 0, 0}, 4), 0);
}

TEST(KurvenPng, SaysWhyAFileCannotBeDrawn) {
    TemporaryWorkFolder folder;
    writeFile("empty.KLV", "");
    writeFile("other.KLV", "Hallo\r\nWelt\r\n");
    for (const wchar_t* arguments :
         {L"--png out.png empty.KLV", L"--png out.png other.KLV", L"--png out.png missing.KLV",
          L"--png out.png --size 10x10 other.KLV", L"--png out.png"}) {
        EXPECT_EQ(runKurven(arguments), 1) << std::wstring(arguments).size();
        EXPECT_FALSE(std::filesystem::exists("out.png"));
    }
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Waits, pumping, until `done` (real input reaches the window asynchronously).
bool eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 200; ++i) {
        pump();
        if (done()) return true;
        Sleep(25);
    }
    return done();
}

void sendMouse(POINT screen, DWORD flags, DWORD data = 0) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[2] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = screen.x * 65535 / (width - 1);
        i.mi.dy = screen.y * 65535 / (height - 1);
        i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    input[1].mi.dwFlags |= flags;
    input[1].mi.mouseData = data;
    SendInput(2, input, sizeof(INPUT));
}

void pressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

POINT onScreen(HWND window, double x, double y) {
    POINT at{static_cast<LONG>(x), static_cast<LONG>(y)};
    ClientToScreen(window, &at);
    return at;
}

TEST(KurvenWindow, TheKeyTheWheelAndTheKeysAndAGrowingLog) {
    GdiPlus gdiPlus;
    TemporaryWorkFolder folder;
    writeFile("growing.KLV", knownLog(60));
    CurvesWindow window(L"growing.KLV");
    ASSERT_EQ(window.open(SW_SHOWNORMAL), L"");
    SetForegroundWindow(window.handle());
    ASSERT_TRUE(eventually([&] { return window.layout().key.size() == 2; }));

    // A click on B in the key hides B, another shows it again.
    const KeyEntry b = window.layout().key[1];
    const POINT onB =
        onScreen(window.handle(), b.area.X + b.area.Width / 2, b.area.Y + b.area.Height / 2);
    sendMouse(onB, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(eventually([&] { return window.frame().hidden(1); }));
    EXPECT_FALSE(window.frame().hidden(0));
    sendMouse(onB, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(eventually([&] { return !window.frame().hidden(1); }));

    // The wheel zooms the time around the pointer: the time under it stays.
    const PlotRect plot = window.layout().plot;
    const double span = window.frame().to() - window.frame().from();
    const double under = window.frame().from() + span / 4;
    sendMouse(onScreen(window.handle(), plot.left + plot.width / 4, plot.top + plot.height / 2),
              MOUSEEVENTF_WHEEL, WHEEL_DELTA);
    ASSERT_TRUE(eventually([&] { return window.frame().to() - window.frame().from() < span; }));
    EXPECT_NEAR(window.frame().to() - window.frame().from(), span * 0.8, 1);
    EXPECT_NEAR(window.frame().from() + (window.frame().to() - window.frame().from()) / 4, under,
                span * 0.01);
    EXPECT_FALSE(window.frame().followingAll());

    // Zoomed, a growing log leaves the view where it is; Home shows all and
    // follows again.
    const double zoomedTo = window.frame().to();
    writeFile("growing.KLV", knownLog(60) + knownLog(30, 60, false));
    window.follow();
    EXPECT_EQ(window.document().recordings[0].times.size(), 90u);
    EXPECT_EQ(window.frame().to(), zoomedTo);
    pressKey(VK_RIGHT);
    ASSERT_TRUE(eventually([&] { return window.frame().to() > zoomedTo; }));
    pressKey(VK_HOME);
    ASSERT_TRUE(eventually([&] { return window.frame().followingAll(); }));
    const double last = static_cast<double>(window.document().recordings[0].times.back());
    EXPECT_EQ(window.frame().to(), last);
    writeFile("growing.KLV", knownLog(60) + knownLog(40, 60, false));
    window.follow();
    EXPECT_GT(window.frame().to(), last);
}

TEST(ChartFrame, TicksAndLabels) {
    // About six round steps (1, 2 or 5 times a power of ten, the next above).
    const struct {
        double low, high;
        std::vector<double> ticks;
    } values[] = {{-1.3, 11.2, {0, 5, 10}},
                  {19.5, 20.6, {19.6, 19.8, 20.0, 20.2, 20.4, 20.6}},
                  {-12, -3, {-12, -10, -8, -6, -4}}};
    for (const auto& v : values) {
        const std::vector<double> ticks = valueTicks(v.low, v.high);
        ASSERT_EQ(ticks.size(), v.ticks.size()) << v.low;
        for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], v.ticks[i], 1e-9);
    }
    const struct {
        double from, to;
        std::int64_t step;
    } spans[] = {{0, 7000, 900}, {100, 500, 60}, {0, 86400 * 3, 43200}, {0, 86400 * 30, 604800}};
    for (const auto& s : spans) {
        const auto ticks = timeTicks(s.from, s.to);
        ASSERT_GE(ticks.size(), 2u) << s.to;
        EXPECT_LE(ticks.size(), 9u) << s.to;
        EXPECT_EQ(ticks[1] - ticks[0], s.step) << s.to;
        EXPECT_EQ(ticks[0] % s.step, 0) << s.to;
        EXPECT_GE(static_cast<double>(ticks[0]), s.from) << s.to;
    }
    // 2026-12-09 00:00 and 1969-12-31 23:59 in the log's clock.
    EXPECT_EQ(timeTickLabel(1796774400, true), "00:00\n09.12.2026");
    EXPECT_EQ(timeTickLabel(-60, true), "23:59\n31.12.1969");
    EXPECT_EQ(timeTickLabel(1796774400 + 3 * 3600 + 25 * 60, false), "03:25");
    EXPECT_EQ(decimalComma(-3.45, 1), "-3,5");
    EXPECT_EQ(decimalComma(-0.01, 1), "0,0");
    EXPECT_EQ(decimalComma(20, 1), "20,0");
}

}  // namespace
}  // namespace kurven
