#include "curves/model/decimation.h"

#include <algorithm>
#include <cmath>

namespace kurven {
namespace {

std::size_t columnOf(double x, double from, double to, std::size_t columns) {
    const double share = (x - from) / (to - from);
    const auto column =
        static_cast<std::size_t>(std::max(0.0, share * static_cast<double>(columns)));
    return std::min(column, columns - 1);
}

}  // namespace

std::vector<PlotPoint> decimateCurve(std::span<const double> xs, std::span<const double> ys,
                                     double from, double to, std::size_t columns) {
    std::vector<PlotPoint> out;
    const std::size_t n = std::min(xs.size(), ys.size());
    if (n == 0 || columns == 0 || !(to > from)) return out;
    const auto begin = static_cast<std::size_t>(
        std::lower_bound(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(n), from) -
        xs.begin());
    const auto end = static_cast<std::size_t>(
        std::upper_bound(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(n), to) - xs.begin());
    // The nearest drawable neighbours outside the range.
    std::size_t before = begin;
    while (before > 0 && std::isnan(ys[before - 1])) --before;
    if (before > 0) out.push_back({xs[before - 1], ys[before - 1]});

    std::size_t row = begin;
    while (row < end) {
        const std::size_t column = columnOf(xs[row], from, to, columns);
        std::size_t first = n, last = n, low = n, high = n;
        for (; row < end && columnOf(xs[row], from, to, columns) == column; ++row) {
            if (std::isnan(ys[row])) continue;
            if (first == n) first = low = high = row;
            last = row;
            if (ys[row] < ys[low]) low = row;
            if (ys[row] > ys[high]) high = row;
        }
        if (first == n) continue;
        std::size_t picked[] = {first, low, high, last};
        std::sort(std::begin(picked), std::end(picked));
        const std::size_t* unique = std::unique(std::begin(picked), std::end(picked));
        for (const std::size_t* p = picked; p != unique; ++p) out.push_back({xs[*p], ys[*p]});
    }

    std::size_t after = end;
    while (after < n && std::isnan(ys[after])) ++after;
    if (after < n) out.push_back({xs[after], ys[after]});
    return out;
}

std::vector<PlotPoint> thinMarks(std::span<const PlotPoint> marks, double from, double to,
                                 std::size_t columns) {
    std::vector<PlotPoint> out;
    if (columns == 0 || !(to > from)) return out;
    const auto begin = std::lower_bound(marks.begin(), marks.end(), from,
                                        [](const PlotPoint& p, double x) { return p.x < x; });
    std::size_t lastColumn = columns;  // none yet
    for (auto mark = begin; mark != marks.end() && mark->x <= to; ++mark) {
        const std::size_t column = columnOf(mark->x, from, to, columns);
        if (column == lastColumn) continue;
        lastColumn = column;
        out.push_back(*mark);
    }
    return out;
}

}  // namespace kurven
