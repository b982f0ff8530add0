#pragma once

#include "core/drive/scope/ScopeRules.h"

#include <array>
#include <cstdint>

namespace kelm::oscillo {

// The time bases, the middle scale and the repair of stored settings are the recorder's
// rules, shared with kelmctl.
using scope::DefaultTimeWindow;
using scope::MiddleScale;
using scope::Repaired;
using scope::StoredSettings;
using scope::TimeBaseIndex;
using scope::TimeWindows;

// A channel's value axis for a units-per-division value d: ten divisions with zero in the
// middle, the lowest grid line still drawn.
struct ValueAxis {
    double Min, Max, Increment;
};
ValueAxis AxisForScale(int unitsPerDivision);
// The grid increment of an axis spanning min..max: its own increment while that gives
// 4 to 12 divisions (and no more than room, the labels the axis has room for), otherwise
// the smallest 1-2-5 step giving at most 10 (or room), so a zoomed or narrow axis keeps
// readable labels.
double TickIncrement(double min, double max, double homeIncrement, int room = 12);
// An axis that holds the values min..max on whole 1-2-5 steps (about eight divisions);
// a flat trace gets one step above and below.
ValueAxis AutoscaleAxis(double min, double max);
// The offset field's range for the same scale: trunc(-5 d) .. trunc(5 d).
struct OffsetRange {
    int Min, Max;
};
OffsetRange OffsetRangeForScale(int unitsPerDivision);

// Offset marker on its track. top and bottom are the rows of the top and bottom ticks;
// min and max the offset field's range. The largest offset sits at the top tick.
struct Track {
    int Top, Bottom, Min, Max;
};
int MarkerRow(const Track& track, int offset);
// The offset of a marker centred on row (clamped to the ticks).
int OffsetAtRow(const Track& track, int row);
int ClampRow(const Track& track, int row);

} // namespace kelm::oscillo
