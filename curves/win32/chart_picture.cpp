#include "curves/win32/chart_picture.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "curves/model/decimation.h"
#include "curves/model/sensor_colours.h"

namespace kurven {
namespace {

using Gdiplus::Color;
using Gdiplus::PointF;
using Gdiplus::RectF;

constexpr float kTitleHeight = 40;
constexpr float kLeftMargin = 64;
constexpr float kRightMargin = 24;
constexpr float kTimeLabels = 42;
constexpr float kKeyRow = 22;
constexpr float kMarkSize = 12;
constexpr double kPi = 3.14159265358979323846;

// Windows' own user interface font, or the first sans-serif font the
// system has (Wine's prefixes have no Segoe UI, but the Linux fonts).
std::unique_ptr<Gdiplus::Font> font(float pixels, int style = Gdiplus::FontStyleRegular) {
    for (const wchar_t* name :
         {L"Segoe UI", L"Tahoma", L"Arial", L"Liberation Sans", L"DejaVu Sans"}) {
        const Gdiplus::FontFamily family(name);
        if (family.IsAvailable())
            return std::make_unique<Gdiplus::Font>(&family, pixels, style, Gdiplus::UnitPixel);
    }
    return std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(), pixels, style,
                                           Gdiplus::UnitPixel);
}

Color colourOf(std::size_t sensor, BYTE alpha = 255) {
    const Rgb rgb = sensorRgb(sensor);
    return Color(alpha, rgb.red, rgb.green, rgb.blue);
}

// The aliases of the key: every sensor column of the log, named as the last
// recording that has it names it.
std::vector<std::wstring> keyNames(const LogDocument& document) {
    std::vector<std::wstring> names;
    for (const Recording& recording : document.recordings)
        for (std::size_t k = 0; k < recording.sensors.size(); ++k) {
            if (k >= names.size()) names.resize(k + 1);
            names[k] = wideText(recording.sensors[k].alias);
        }
    return names;
}

std::wstring titleOf(const LogDocument& document, const std::wstring& fallback) {
    for (auto r = document.recordings.rbegin(); r != document.recordings.rend(); ++r)
        if (!r->title.empty()) return wideText(r->title);
    return fallback;
}

void drawMark(Gdiplus::Graphics& graphics, PointF at, MarkKind kind, Color fill) {
    const float h = kMarkSize / 2;
    std::vector<PointF> outline;
    if (kind == MarkKind::Warm) {
        outline = {{at.X, at.Y - h}, {at.X + h, at.Y + h}, {at.X - h, at.Y + h}};
    } else if (kind == MarkKind::Cold) {
        outline = {{at.X, at.Y - h}, {at.X + h, at.Y}, {at.X, at.Y + h}, {at.X - h, at.Y}};
    } else {
        for (int i = 0; i < 10; ++i) {
            const float radius = i % 2 == 0 ? h : h * 0.45f;
            const double angle = -kPi / 2 + i * kPi / 5;
            outline.push_back({at.X + radius * static_cast<float>(std::cos(angle)),
                               at.Y + radius * static_cast<float>(std::sin(angle))});
        }
    }
    Gdiplus::SolidBrush brush(fill);
    Gdiplus::Pen pen(Color(255, 0, 0, 0), 1);
    graphics.FillPolygon(&brush, outline.data(), static_cast<INT>(outline.size()));
    graphics.DrawPolygon(&pen, outline.data(), static_cast<INT>(outline.size()));
}

void drawAxes(Gdiplus::Graphics& graphics, const PlotRect& plot, const ChartFrame& frame) {
    const auto small = font(11);
    Gdiplus::SolidBrush text(Color(255, 40, 40, 40));
    Gdiplus::Pen grid(Color(255, 225, 225, 225), 1);
    Gdiplus::StringFormat right;
    right.SetAlignment(Gdiplus::StringAlignmentFar);
    right.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    for (const double value : valueTicks(frame.low(), frame.high())) {
        const float y = static_cast<float>(frame.yOf(value, plot));
        graphics.DrawLine(&grid, static_cast<float>(plot.left), y,
                          static_cast<float>(plot.left + plot.width), y);
        const std::wstring label = wideText(decimalComma(value, 1));
        graphics.DrawString(label.c_str(), -1, small.get(),
                            RectF(0, y - 8, static_cast<float>(plot.left) - 6, 16), &right, &text);
    }
    Gdiplus::StringFormat centred;
    centred.SetAlignment(Gdiplus::StringAlignmentCenter);
    const std::vector<std::int64_t> ticks = timeTicks(frame.from(), frame.to());
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const float x = static_cast<float>(frame.xOf(static_cast<double>(ticks[i]), plot));
        graphics.DrawLine(&grid, x, static_cast<float>(plot.top), x,
                          static_cast<float>(plot.top + plot.height));
        const bool withDate = i == 0 || ticks[i] % 86400 == 0;
        const std::wstring label = wideText(timeTickLabel(ticks[i], withDate));
        graphics.DrawString(label.c_str(), -1, small.get(),
                            RectF(x - 60, static_cast<float>(plot.top + plot.height) + 4, 120, 32),
                            &centred, &text);
    }
    Gdiplus::Pen frameLine(Color(255, 120, 120, 120), 1);
    graphics.DrawRectangle(&frameLine, static_cast<float>(plot.left), static_cast<float>(plot.top),
                           static_cast<float>(plot.width), static_cast<float>(plot.height));
    Gdiplus::StringFormat vertical;
    vertical.SetAlignment(Gdiplus::StringAlignmentCenter);
    vertical.SetFormatFlags(Gdiplus::StringFormatFlagsDirectionVertical);
    const Gdiplus::GraphicsState state = graphics.Save();
    graphics.TranslateTransform(2, static_cast<float>(plot.top + plot.height));
    graphics.RotateTransform(-90);
    graphics.DrawString(L"Temperatur in \u00B0C", -1, small.get(),
                        RectF(0, 0, static_cast<float>(plot.height), 16), &centred, &text);
    graphics.Restore(state);
}

void drawRecording(Gdiplus::Graphics& graphics, const Recording& recording, const PlotRect& plot,
                   const ChartFrame& frame) {
    std::vector<double> xs(recording.times.begin(), recording.times.end());
    const auto columns = static_cast<std::size_t>(std::max(1.0, plot.width));
    for (std::size_t k = 0; k < recording.readings.size(); ++k) {
        if (frame.hidden(k)) continue;
        const std::vector<PlotPoint> points =
            decimateCurve(xs, recording.readings[k], frame.from(), frame.to(), columns);
        std::vector<PointF> line;
        for (const PlotPoint& p : points)
            line.push_back({static_cast<float>(frame.xOf(p.x, plot)),
                            static_cast<float>(frame.yOf(p.y, plot))});
        Gdiplus::Pen pen(colourOf(k), 2);
        pen.SetLineJoin(Gdiplus::LineJoinRound);
        // In pieces: Wine's GDI+ takes time by the square of a line's points.
        constexpr std::size_t kPiece = 64;
        for (std::size_t first = 0; first + 1 < line.size(); first += kPiece)
            graphics.DrawLines(&pen, line.data() + first,
                               static_cast<INT>(std::min(kPiece + 1, line.size() - first)));
        // The thresholds that are set, dashed, over the recording's time.
        if (k < recording.sensors.size() && !xs.empty()) {
            Gdiplus::Pen dashed(colourOf(k), 1.5f);
            const Gdiplus::REAL pattern[] = {4, 3};  // in pen widths: 6 px on, 4.5 off
            dashed.SetDashPattern(pattern, 2);
            for (const double threshold : {recording.sensors[k].warm, recording.sensors[k].cold}) {
                if (!thresholdIsSet(threshold)) continue;
                const float y = static_cast<float>(frame.yOf(threshold, plot));
                graphics.DrawLine(&dashed, static_cast<float>(frame.xOf(xs.front(), plot)), y,
                                  static_cast<float>(frame.xOf(xs.back(), plot)), y);
            }
        }
    }
    // Alarms at the reading that set them off; a fault at the sensor's last
    // reading before it, or hollow on the lower edge when it has none. At
    // most one mark of a kind per half a mark's width: a log of a million
    // rows may hold as many marks, and closer ones cover each other anyway
    // (each costs GDI+ about a millisecond).
    enum Look { Warm, Cold, Fault, FaultWithoutReading, Looks };
    std::vector<std::vector<PlotPoint>> marks(recording.readings.size() * Looks);
    for (const Mark& mark : recording.marks) {
        if (frame.hidden(mark.sensor) || mark.sensor >= recording.readings.size() ||
            mark.row >= xs.size() || xs[mark.row] < frame.from() || xs[mark.row] > frame.to())
            continue;
        const std::vector<double>& column = recording.readings[mark.sensor];
        double value = column[mark.row];
        Look look = mark.kind == MarkKind::Warm ? Warm : mark.kind == MarkKind::Cold ? Cold : Fault;
        if (mark.kind == MarkKind::Fault || !std::isfinite(value)) {
            std::size_t row = mark.row + 1;
            while (row > 0 && !std::isfinite(column[row - 1])) --row;
            if (row == 0) {
                look = FaultWithoutReading;
                value = frame.low() + (frame.high() - frame.low()) * 0.02;
            } else {
                value = column[row - 1];
            }
        }
        marks[mark.sensor * Looks + look].push_back({xs[mark.row], value});
    }
    for (std::size_t k = 0; k < recording.readings.size(); ++k)
        for (int look = Warm; look < Looks; ++look) {
            const Color fill = look == Warm || look == Cold ? colourOf(k)
                               : look == Fault              ? Color(255, 0, 0, 0)
                                                            : Color(255, 255, 255, 255);
            const MarkKind kind = look == Warm   ? MarkKind::Warm
                                  : look == Cold ? MarkKind::Cold
                                                 : MarkKind::Fault;
            for (const PlotPoint& p : thinMarks(
                     marks[k * Looks + look], frame.from(), frame.to(),
                     std::max<std::size_t>(1, columns * 2 / static_cast<std::size_t>(kMarkSize))))
                drawMark(graphics,
                         PointF(static_cast<float>(frame.xOf(p.x, plot)),
                                static_cast<float>(frame.yOf(p.y, plot))),
                         kind, fill);
        }
}

}  // namespace

std::wstring wideText(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

ChartLayout layoutChart(Gdiplus::Graphics& graphics, int width, int height,
                        const LogDocument& document) {
    ChartLayout layout;
    const auto keyFont = font(12);
    const std::vector<std::wstring> names = keyNames(document);
    float x = kLeftMargin, row = 0;
    std::vector<KeyEntry> entries;
    for (std::size_t k = 0; k < names.size(); ++k) {
        RectF measured;
        graphics.MeasureString(names[k].c_str(), -1, keyFont.get(), PointF(0, 0), &measured);
        const float entryWidth = 22 + measured.Width + 14;
        if (x + entryWidth > width - kRightMargin && x > kLeftMargin) {
            x = kLeftMargin;
            ++row;
        }
        entries.push_back({k, RectF(x, row * kKeyRow, entryWidth, kKeyRow)});
        x += entryWidth;
    }
    const float keyHeight = names.empty() ? 0 : (row + 1) * kKeyRow + 8;
    for (KeyEntry& entry : entries) entry.area.Y += static_cast<float>(height) - keyHeight;
    layout.key = std::move(entries);
    layout.plot.left = kLeftMargin;
    layout.plot.top = kTitleHeight;
    layout.plot.width = std::max(10.0, static_cast<double>(width - kLeftMargin - kRightMargin));
    layout.plot.height =
        std::max(10.0, static_cast<double>(height - kTitleHeight - kTimeLabels - keyHeight));
    return layout;
}

ChartLayout drawChart(Gdiplus::Graphics& graphics, int width, int height,
                      const LogDocument& document, const ChartFrame& frame,
                      const std::wstring& fallbackTitle) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics.Clear(Color(255, 255, 255, 255));
    const ChartLayout layout = layoutChart(graphics, width, height, document);
    const PlotRect& plot = layout.plot;

    const auto titleFont = font(18, Gdiplus::FontStyleBold);
    Gdiplus::SolidBrush black(Color(255, 0, 0, 0));
    Gdiplus::StringFormat centred;
    centred.SetAlignment(Gdiplus::StringAlignmentCenter);
    centred.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    graphics.DrawString(titleOf(document, fallbackTitle).c_str(), -1, titleFont.get(),
                        RectF(0, 0, static_cast<float>(width), kTitleHeight), &centred, &black);
    drawAxes(graphics, plot, frame);

    const Gdiplus::GraphicsState state = graphics.Save();
    graphics.SetClip(RectF(static_cast<float>(plot.left), static_cast<float>(plot.top),
                           static_cast<float>(plot.width), static_cast<float>(plot.height)));
    for (const Recording& recording : document.recordings)
        if (recording.headerComplete) drawRecording(graphics, recording, plot, frame);
    graphics.Restore(state);

    const auto keyFont = font(12);
    const std::vector<std::wstring> names = keyNames(document);
    Gdiplus::StringFormat left;
    left.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    for (const KeyEntry& entry : layout.key) {
        const bool hidden = frame.hidden(entry.sensor);
        Gdiplus::SolidBrush swatch(hidden ? Color(255, 200, 200, 200) : colourOf(entry.sensor));
        graphics.FillRectangle(&swatch, entry.area.X + 2, entry.area.Y + 5, 16.0f, 12.0f);
        Gdiplus::SolidBrush text(hidden ? Color(255, 160, 160, 160) : Color(255, 0, 0, 0));
        graphics.DrawString(
            names[entry.sensor].c_str(), -1, keyFont.get(),
            RectF(entry.area.X + 22, entry.area.Y, entry.area.Width - 22, entry.area.Height), &left,
            &text);
    }
    return layout;
}

}  // namespace kurven
