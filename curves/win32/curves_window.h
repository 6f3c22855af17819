#pragma once
// The window of Kelvinor-Kurven on Windows: the chart of one log, followed
// while it grows. The mouse wheel zooms the time axis around the pointer
// (with Ctrl the temperature axis), dragging moves the chart, a click on a
// sensor in the key hides or shows it; the keys + and - zoom, the arrow keys
// move, Home (or 0) shows the whole log again and follows it.
// clang-format off
#include <windows.h>
#include <gdiplus.h>
// clang-format on

#include <string>

#include "curves/win32/chart_frame.h"
#include "curves/win32/chart_picture.h"
#include "curves/win32/log_file.h"

namespace kurven {

class CurvesWindow {
  public:
    // How often a growing log is looked at.
    static constexpr UINT kFollowMs = 1000;

    explicit CurvesWindow(std::wstring log);
    CurvesWindow(const CurvesWindow&) = delete;
    CurvesWindow& operator=(const CurvesWindow&) = delete;
    ~CurvesWindow();
    // Reads the log and opens the window; an error text (German) when the
    // log cannot be drawn.
    std::wstring open(int show);
    HWND handle() const { return window_; }
    const ChartFrame& frame() const { return frame_; }
    const ChartLayout& layout() const { return layout_; }
    const LogDocument& document() const { return file_.document(); }
    // Looks at the log now, as the timer does.
    void follow();

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void paint();
    void changed() { InvalidateRect(window_, nullptr, FALSE); }

    std::wstring path_;
    LogFile file_;
    ChartFrame frame_;
    ChartLayout layout_;
    HWND window_ = nullptr;
    bool dragging_ = false;
    POINT dragFrom_{};
};

}  // namespace kurven
