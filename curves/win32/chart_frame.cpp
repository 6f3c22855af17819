#include "curves/win32/chart_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "curves/model/round_step.h"

namespace kurven {

void ChartFrame::showAll(const LogDocument& document) {
    bool anyTime = false, anyValue = false;
    double first = 0, last = 0, low = 0, high = 0;
    const auto include = [&](double value) {
        if (!std::isfinite(value)) return;
        low = anyValue ? std::min(low, value) : value;
        high = anyValue ? std::max(high, value) : value;
        anyValue = true;
    };
    for (const Recording& recording : document.recordings) {
        if (!recording.times.empty()) {
            first = anyTime ? std::min<double>(first, recording.times.front())
                            : static_cast<double>(recording.times.front());
            last = anyTime ? std::max<double>(last, recording.times.back())
                           : static_cast<double>(recording.times.back());
            anyTime = true;
        }
        for (const auto& column : recording.readings)
            for (const double value : column) include(value);
        for (const Sensor& sensor : recording.sensors) {
            if (thresholdIsSet(sensor.warm)) include(sensor.warm);
            if (thresholdIsSet(sensor.cold)) include(sensor.cold);
        }
    }
    if (!anyTime) first = last = 0;
    if (last - first < 60) last = first + 60;
    if (!anyValue) low = 0, high = 1;
    const double margin = std::max((high - low) * 0.05, 0.5);
    from_ = first;
    to_ = last;
    low_ = low - margin;
    high_ = high + margin;
    followingAll_ = true;
}

void ChartFrame::zoomTime(double factor, double fraction) {
    const double at = from_ + (to_ - from_) * fraction;
    const double span = std::clamp((to_ - from_) * factor, 10.0, 3.2e9);
    from_ = at - span * fraction;
    to_ = from_ + span;
    followingAll_ = false;
}

void ChartFrame::zoomValues(double factor, double fraction) {
    const double at = high_ - (high_ - low_) * fraction;
    const double span = std::clamp((high_ - low_) * factor, 0.01, 10000.0);
    high_ = at + span * fraction;
    low_ = high_ - span;
    followingAll_ = false;
}

void ChartFrame::move(double timeFraction, double valueFraction) {
    const double dt = (to_ - from_) * timeFraction, dv = (high_ - low_) * valueFraction;
    from_ += dt;
    to_ += dt;
    low_ += dv;
    high_ += dv;
    followingAll_ = false;
}

double ChartFrame::xOf(double seconds, const PlotRect& plot) const {
    return plot.left + (seconds - from_) / (to_ - from_) * plot.width;
}

double ChartFrame::yOf(double celsius, const PlotRect& plot) const {
    return plot.top + (high_ - celsius) / (high_ - low_) * plot.height;
}

void ChartFrame::toggle(std::size_t sensor) {
    if (sensor >= hidden_.size()) hidden_.resize(sensor + 1, false);
    hidden_[sensor] = !hidden_[sensor];
}

std::vector<double> valueTicks(double low, double high) {
    std::vector<double> ticks;
    const double step = roundStep((high - low) / 6);
    for (double v = std::ceil(low / step) * step; v <= high + step * 1e-9 && ticks.size() < 50;
         v += step)
        ticks.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    return ticks;
}

std::vector<std::int64_t> timeTicks(double from, double to) {
    static const std::int64_t steps[] = {
        1,    2,    5,     10,    15,    30,    60,     120,    300,     600,     900,     1800,
        3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800, 2592000, 7776000, 31536000};
    std::int64_t step = steps[std::size(steps) - 1];
    for (const std::int64_t s : steps)
        if ((to - from) / static_cast<double>(s) <= 8) {
            step = s;
            break;
        }
    std::vector<std::int64_t> ticks;
    const auto first =
        static_cast<std::int64_t>(std::ceil(from / static_cast<double>(step))) * step;
    for (std::int64_t t = first; t <= to && ticks.size() < 50; t += step) ticks.push_back(t);
    return ticks;
}

std::string timeTickLabel(std::int64_t seconds, bool withDate) {
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t inDay = seconds - days * 86400;
    // The civil date of a day count (days since 1970-01-01).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    char text[40];
    if (withDate)
        std::snprintf(text, sizeof text, "%02d:%02d\n%02d.%02d.%04d",
                      static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60), day, month,
                      year);
    else
        std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(inDay / 3600),
                      static_cast<int>(inDay / 60 % 60));
    return text;
}

std::string decimalComma(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result(text);
    std::replace(result.begin(), result.end(), '.', ',');
    return result == "-0,0" || result == "-0" ? result.substr(1) : result;
}

}  // namespace kurven
