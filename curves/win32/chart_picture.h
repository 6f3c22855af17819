#pragma once
// The chart of a log drawn with GDI+, as the window shows it and as the PNG
// export writes it: the title, the value axis with round temperatures and
// the time axis on round clock times, per sensor one curve per recording
// (recordings apart, with a gap between them), its set thresholds dashed in
// the sensor's colour, its alarm and fault entries as marks, and the key of
// the sensors below the plot (a hidden sensor's entry greyed).
// clang-format off
#include <windows.h>
#include <gdiplus.h>
// clang-format on

#include <string>
#include <vector>

#include "curves/model/log_document.h"
#include "curves/win32/chart_frame.h"

namespace kurven {

struct KeyEntry {
    std::size_t sensor;
    Gdiplus::RectF area;  // where a click toggles the sensor
};

struct ChartLayout {
    PlotRect plot;
    std::vector<KeyEntry> key;
};

// Where the plot and the key lie in a picture of `width` x `height`.
ChartLayout layoutChart(Gdiplus::Graphics& graphics, int width, int height,
                        const LogDocument& document);

// Draws it all; `fallbackTitle` stands when no recording names a
// measurement.
ChartLayout drawChart(Gdiplus::Graphics& graphics, int width, int height,
                      const LogDocument& document, const ChartFrame& frame,
                      const std::wstring& fallbackTitle);

// UTF-8 (the model's texts) as UTF-16.
std::wstring wideText(const std::string& utf8);

}  // namespace kurven
