#include "ui/scope/OscilloMath.h"

#include <algorithm>
#include <cmath>

namespace kelm::oscillo {

int TimeBaseIndex(int timeWindowMs) {
    const auto found = std::find(TimeWindows.begin(), TimeWindows.end(), timeWindowMs);
    return found == TimeWindows.end() ? -1 : static_cast<int>(found - TimeWindows.begin());
}

ValueAxis AxisForScale(int unitsPerDivision) {
    const double d = unitsPerDivision;
    return {-5 * d - 0.001 * d, 5 * d, d};
}

OffsetRange OffsetRangeForScale(int unitsPerDivision) {
    const double d = unitsPerDivision;
    return {static_cast<int>(std::trunc(-5 * d)), static_cast<int>(std::trunc(5 * d))};
}

int MiddleScale(int scaleCount) {
    if (scaleCount <= 0)
        return -1;
    return std::max(scaleCount / 2 - 1, 0);
}

StoredSettings Repaired(StoredSettings stored, int signalCount) {
    if (stored.Edge < 1 || stored.Edge > 3)
        stored.Edge = 1;
    if (TimeBaseIndex(stored.TimeWindow) < 0)
        stored.TimeWindow = DefaultTimeWindow;
    if (stored.Signal1 < 1 || stored.Signal1 > signalCount)
        stored.Signal1 = 1;
    if (stored.Signal2 < 1 || stored.Signal2 > signalCount)
        stored.Signal2 = std::min(2, std::max(signalCount, 1));
    return stored;
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
