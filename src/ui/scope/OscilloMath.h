#pragma once

#include <array>
#include <cstdint>

namespace kelm::oscillo {

// The time windows (ms) of the ten time-base entries, 1 ms/div to 1 s/div.
constexpr std::array<int, 10> TimeWindows{10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
constexpr int DefaultTimeWindow = 500;

// The time-base entry of a time window; -1 when the window is not one of the ten.
int TimeBaseIndex(int timeWindowMs);

// A channel's value axis for a units-per-division value d: ten divisions with zero in the
// middle, the lowest grid line still drawn.
struct ValueAxis {
    double Min, Max, Increment;
};
ValueAxis AxisForScale(int unitsPerDivision);
// The offset field's range for the same scale: trunc(-5 d) .. trunc(5 d).
struct OffsetRange {
    int Min, Max;
};
OffsetRange OffsetRangeForScale(int unitsPerDivision);

// The scale a signal starts with: the middle one, (count / 2) - 1; a signal with a single
// scale takes that one (-1 only when there are none).
int MiddleScale(int scaleCount);

// The stored settings a window repairs when it opens.
struct StoredSettings {
    int Edge;       // 1 rising, 2 falling, 3 automatic; anything else becomes 1
    int TimeWindow; // one of the ten windows; anything else becomes 500
    int Signal1;    // 1..signals, else 1
    int Signal2;    // 1..signals, else 2 (1 with a single signal)
};
StoredSettings Repaired(StoredSettings stored, int signalCount);

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
