#pragma once
// Fewer points that draw the same picture: a curve of a million rows on a
// plot a thousand pixels wide keeps, for every pixel column, its first,
// lowest, highest and last point (the line drawn through them covers the
// same pixels), plus the neighbours just outside the range, so the line runs
// on to the plot's edges.
#include <cstddef>
#include <span>
#include <vector>

namespace kurven {

struct PlotPoint {
    double x;
    double y;
    bool operator==(const PlotPoint&) const = default;
};

// xs ascending; points whose y is NaN are left out.
std::vector<PlotPoint> decimateCurve(std::span<const double> xs, std::span<const double> ys,
                                     double from, double to, std::size_t columns);

// Marks inside [from, to], at most one per column: the first.
std::vector<PlotPoint> thinMarks(std::span<const PlotPoint> marks, double from, double to,
                                 std::size_t columns);

}  // namespace kurven
