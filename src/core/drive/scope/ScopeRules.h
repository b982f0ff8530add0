#pragma once

#include "core/config/ScopeScales.h"

#include <array>

namespace kelm::scope {

// The rules the oscilloscope window applies to the recorder's settings, shared with kelmctl
// so that both send the same values and name the same signals.

// The time windows (ms) of the ten time-base entries, 1 ms/div to 1 s/div.
constexpr std::array<int, 10> TimeWindows{10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
constexpr int DefaultTimeWindow = 500;

// The trigger edges: 1 rising, 2 falling, 3 automatic (free-running).
constexpr int FirstEdge = 1;
constexpr int LastEdge = 3;

// The time-base entry of a time window; -1 when the window is not one of the ten.
int TimeBaseIndex(int timeWindowMs);

// The scale a signal starts with: the middle one, (count / 2) - 1; a signal with a single
// scale takes that one (-1 only when there are none).
int MiddleScale(int scaleCount);

// Signal numbers in the recorder registers count from 1; the signal list from 0.
constexpr int SignalNumber(int listIndex) {
    return listIndex + 1;
}
constexpr int SignalIndex(int signalNumber) {
    return signalNumber - 1;
}
// The signal a recorder register names; nullptr for a number outside 1..signals.
const ScopeSignal* SignalByNumber(const ScopeScaleSet& signalSet, int signalNumber);

// The stored settings a window repairs when it opens.
struct StoredSettings {
    int Edge;       // 1 rising, 2 falling, 3 automatic; anything else becomes 1
    int TimeWindow; // one of the ten windows; anything else becomes 500
    int Signal1;    // 1..signals, else 1
    int Signal2;    // 1..signals, else 2 (1 with a single signal)
};
StoredSettings Repaired(StoredSettings stored, int signalCount);

} // namespace kelm::scope
