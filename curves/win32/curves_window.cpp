#include "curves/win32/curves_window.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

namespace kurven {
namespace {

const wchar_t* const kClassName = L"KelvinorKurven";

std::wstring fileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

CurvesWindow::CurvesWindow(std::wstring log) : path_(log), file_(std::move(log)) {}

CurvesWindow::~CurvesWindow() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

std::wstring CurvesWindow::open(int show) {
    if (!file_.readNew()) return L"Die Logdatei kann nicht gelesen werden: " + path_;
    if (const auto reason = unusableLogReason(file_.document(), file_.size())) {
        // A log cut short is drawn as far as it goes.
        LogFile complete(path_);
        complete.readNew();
        complete.finish();
        if (const auto still = unusableLogReason(complete.document(), complete.size()))
            return wideText(*still);
    }
    frame_.showAll(file_.document());
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when it is registered
    const std::wstring title = L"Kelvinor-Kurven \u2013 " + fileName(path_);
    window_ =
        CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 1000, 650, nullptr, nullptr, windowClass.hInstance, this);
    if (window_ == nullptr) return L"Das Fenster kann nicht ge\u00F6ffnet werden.";
    SetTimer(window_, 1, kFollowMs, nullptr);
    ShowWindow(window_, show);
    UpdateWindow(window_);
    return {};
}

void CurvesWindow::follow() {
    if (!file_.readNew() || !file_.changed()) return;
    if (frame_.followingAll()) frame_.showAll(file_.document());
    changed();
}

LRESULT CALLBACK CurvesWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<CurvesWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<CurvesWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

void CurvesWindow::paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    const int width = std::max<LONG>(client.right, 1), height = std::max<LONG>(client.bottom, 1);
    // Drawn aside and shown at once: no flicker while zooming or following.
    Gdiplus::Bitmap picture(width, height, PixelFormat32bppPARGB);
    {
        Gdiplus::Graphics graphics(&picture);
        layout_ = drawChart(graphics, width, height, file_.document(), frame_, fileName(path_));
    }
    Gdiplus::Graphics screen(dc);
    screen.DrawImage(&picture, 0, 0, width, height);
    EndPaint(window_, &paint);
}

LRESULT CurvesWindow::handle(UINT message, WPARAM w, LPARAM l) {
    const PlotRect& plot = layout_.plot;
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            changed();
            return 0;
        case WM_TIMER:
            follow();
            return 0;
        case WM_MOUSEWHEEL: {
            POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            ScreenToClient(window_, &at);
            const double factor = GET_WHEEL_DELTA_WPARAM(w) > 0 ? 0.8 : 1.25;
            if ((GET_KEYSTATE_WPARAM(w) & MK_CONTROL) != 0)
                frame_.zoomValues(factor, std::clamp((at.y - plot.top) / plot.height, 0.0, 1.0));
            else
                frame_.zoomTime(factor, std::clamp((at.x - plot.left) / plot.width, 0.0, 1.0));
            changed();
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const double x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
            for (const KeyEntry& entry : layout_.key)
                if (entry.area.Contains(static_cast<float>(x), static_cast<float>(y))) {
                    frame_.toggle(entry.sensor);
                    changed();
                    return 0;
                }
            if (plot.contains(x, y)) {
                dragging_ = true;
                dragFrom_ = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
                SetCapture(window_);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_) {
                const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
                // The chart follows the pointer: dragging right shows earlier times.
                frame_.move(-(at.x - dragFrom_.x) / plot.width, (at.y - dragFrom_.y) / plot.height);
                dragFrom_ = at;
                changed();
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                ReleaseCapture();
            }
            return 0;
        case WM_KEYDOWN:
            switch (w) {
                case VK_ADD:
                case VK_OEM_PLUS:
                    frame_.zoomTime(0.8, 0.5);
                    break;
                case VK_SUBTRACT:
                case VK_OEM_MINUS:
                    frame_.zoomTime(1.25, 0.5);
                    break;
                case VK_LEFT:
                    frame_.move(-0.1, 0);
                    break;
                case VK_RIGHT:
                    frame_.move(0.1, 0);
                    break;
                case VK_UP:
                    frame_.move(0, 0.1);
                    break;
                case VK_DOWN:
                    frame_.move(0, -0.1);
                    break;
                case VK_HOME:
                case '0':
                case VK_NUMPAD0:
                    frame_.showAll(file_.document());
                    break;
                default:
                    return DefWindowProcW(window_, message, w, l);
            }
            changed();
            return 0;
        case WM_DESTROY:
            KillTimer(window_, 1);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, w, l);
    }
}

}  // namespace kurven
