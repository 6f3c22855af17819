#pragma once
// What part of a log the Windows chart shows, and where a time or a
// temperature lies in its plot: the time range (seconds of the log's clock),
// the value range, and the sensors the key has hidden. Zooming and moving
// change the ranges; the whole log is shown (and followed while it grows)
// until the user zooms or moves.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "curves/model/log_document.h"

namespace kurven {

struct PlotRect {
    double left = 0, top = 0, width = 1, height = 1;
    bool contains(double x, double y) const {
        return x >= left && x <= left + width && y >= top && y <= top + height;
    }
};

class ChartFrame {
  public:
    // The whole time range of the log and its readings and set thresholds.
    void showAll(const LogDocument& document);
    bool followingAll() const { return followingAll_; }

    // Zooms the time range by `factor` (below 1: in) around the time at
    // `fraction` of the plot's width, or the value range around the value
    // at `fraction` of its height from the top.
    void zoomTime(double factor, double fraction);
    void zoomValues(double factor, double fraction);
    // Moves by fractions of the ranges (positive: later, warmer).
    void move(double timeFraction, double valueFraction);

    double from() const { return from_; }
    double to() const { return to_; }
    double low() const { return low_; }
    double high() const { return high_; }
    double xOf(double seconds, const PlotRect& plot) const;
    double yOf(double celsius, const PlotRect& plot) const;

    bool hidden(std::size_t sensor) const { return sensor < hidden_.size() && hidden_[sensor]; }
    void toggle(std::size_t sensor);

  private:
    double from_ = 0, to_ = 60, low_ = 0, high_ = 1;
    bool followingAll_ = true;
    std::vector<bool> hidden_;
};

// Round values from `low` to `high`, about six of them, 0 among them when
// it lies in the range.
std::vector<double> valueTicks(double low, double high);

// Times on round local clock times from `from` to `to` (seconds of the
// log's clock), about six to ten of them.
std::vector<std::int64_t> timeTicks(double from, double to);
// A tick's label: "hh:mm" and, on a second line, "dd.mm.yyyy" when the
// date matters (the first tick, or a tick at midnight).
std::string timeTickLabel(std::int64_t seconds, bool withDate);
// A reading with a decimal comma and `decimals` places: "-3,5".
std::string decimalComma(double value, int decimals);

}  // namespace kurven
