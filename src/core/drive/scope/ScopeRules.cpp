#include "core/drive/scope/ScopeRules.h"

#include <algorithm>

namespace kelm::scope {

int TimeBaseIndex(int timeWindowMs) {
    const auto found = std::find(TimeWindows.begin(), TimeWindows.end(), timeWindowMs);
    return found == TimeWindows.end() ? -1 : static_cast<int>(found - TimeWindows.begin());
}

int MiddleScale(int scaleCount) {
    if (scaleCount <= 0)
        return -1;
    return std::max(scaleCount / 2 - 1, 0);
}

const ScopeSignal* SignalByNumber(const ScopeScaleSet& signalSet, int signalNumber) {
    const int index = SignalIndex(signalNumber);
    if (index < 0 || index >= static_cast<int>(signalSet.size()))
        return nullptr;
    return &signalSet[static_cast<std::size_t>(index)];
}

StoredSettings Repaired(StoredSettings stored, int signalCount) {
    if (stored.Edge < FirstEdge || stored.Edge > LastEdge)
        stored.Edge = FirstEdge;
    if (TimeBaseIndex(stored.TimeWindow) < 0)
        stored.TimeWindow = DefaultTimeWindow;
    if (stored.Signal1 < 1 || stored.Signal1 > signalCount)
        stored.Signal1 = 1;
    if (stored.Signal2 < 1 || stored.Signal2 > signalCount)
        stored.Signal2 = std::min(2, std::max(signalCount, 1));
    return stored;
}

} // namespace kelm::scope
