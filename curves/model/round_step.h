#pragma once
// The steps of the charts' value grids.
#include <cmath>

namespace kurven {

// The round step (1, 2 or 5 times a power of ten) nearest above `rough`.
inline double roundStep(double rough) {
    if (!(rough > 0) || !std::isfinite(rough)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (rough <= factor * power) return factor * power;
    return 10 * power;
}

}  // namespace kurven
