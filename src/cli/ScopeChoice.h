#pragma once

#include "core/config/ScopeScales.h"

#include <QString>
#include <array>
#include <optional>

namespace kelm::cli {

// The recorder settings one capture sends (working values of the scope registers).
struct ScopeSettings {
    int Edge = 1;
    int Window = 500; // ms
    int Delay = 0;    // ms
    int Level = 0;
    std::array<int, 2> Signal{1, 2}; // signal numbers, from 1
    std::array<int, 2> Scale{1, 1};  // units per division
};

// What the scope options ask for; unset ones keep the stored settings.
struct ScopeOverrides {
    std::optional<int> Edge, Window, Delay, Level;
    std::array<std::optional<int>, 2> Signal, Scale;
};

// The line refusing the first option outside its range; empty when every option fits.
// Before the drive is known `signalSet` may be null (the kind is not settled) and `stored`
// is null: then a signal is checked against signalCount, a delay against the largest
// window, and a scale only where signalSet names the signal's list.
QString ScopeRefusal(const ScopeOverrides& options, const ScopeScaleSet* signalSet, int signalCount,
                     const ScopeSettings* stored);

// The stored settings made valid as the oscilloscope window makes them when it opens (edge,
// window, signalSet; the delay within the window; each scale one of its signal's, else the
// signal's middle scale), then the options applied. A new --window without --delay puts the
// delay at its half, as the window's time base does. The options must have passed
// ScopeRefusal with the same stored settings.
ScopeSettings ResolveScope(ScopeSettings stored, const ScopeOverrides& options,
                           const ScopeScaleSet& signalSet);

} // namespace kelm::cli
