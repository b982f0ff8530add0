#include "core/rules/OscilloMath.h"

#include <algorithm>
#include <cmath>

namespace kelm::oscillo {

ValueAxis AxisForScale(int unitsPerDivision) {
    const double d = unitsPerDivision;
    return {-5 * d - 0.001 * d, 5 * d, d};
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
