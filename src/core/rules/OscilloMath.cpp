#include "core/rules/OscilloMath.h"

#include <algorithm>
#include <cmath>

namespace kelm::oscillo {

ValueAxis AxisForScale(int unitsPerDivision) {
    const double d = unitsPerDivision;
    return {-5 * d - 0.001 * d, 5 * d, d};
}

namespace {

// The smallest 1, 2 or 5 times a power of ten that is at least value (> 0).
double NiceStep(double value) {
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= value * (1 - 1e-9))
            return m * decade;
    return 10 * decade;
}

} // namespace

double TickIncrement(double min, double max, double homeIncrement, int room) {
    const double span = max - min;
    if (!(span > 0))
        return homeIncrement > 0 ? homeIncrement : 1;
    const int limit = std::clamp(room, 1, 12);
    if (homeIncrement > 0) {
        const double divisions = span / homeIncrement;
        if (divisions >= 4 && divisions <= limit + 0.01)
            return homeIncrement;
    }
    return NiceStep(span / std::min(10, limit));
}

ValueAxis AutoscaleAxis(double min, double max) {
    if (min > max)
        std::swap(min, max);
    const double span = max - min;
    const double step = span > 0 ? NiceStep(span / 8) : NiceStep(std::max(std::abs(min), 1.0) / 10);
    double low = std::floor(min / step) * step;
    double high = std::ceil(max / step) * step;
    if (high - low < step / 2) {
        low -= step;
        high += step;
    }
    return {low, high, step};
}

OffsetRange OffsetRangeForScale(int unitsPerDivision) {
    const double d = unitsPerDivision;
    return {static_cast<int>(std::trunc(-5 * d)), static_cast<int>(std::trunc(5 * d))};
}

int MarkerRow(const Track& track, int offset) {
    if (track.Min == track.Max)
        return track.Top;
    return (offset - track.Max) * (track.Bottom - track.Top) / (track.Min - track.Max) + track.Top;
}

int ClampRow(const Track& track, int row) {
    return std::clamp(row, track.Top, std::max(track.Top, track.Bottom));
}

int OffsetAtRow(const Track& track, int row) {
    if (track.Bottom == track.Top)
        return track.Max;
    return (ClampRow(track, row) - track.Top) * (track.Min - track.Max) /
               (track.Bottom - track.Top) +
           track.Max;
}

} // namespace kelm::oscillo
