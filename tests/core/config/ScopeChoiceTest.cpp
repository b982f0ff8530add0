// The recorder settings kelmctl scope sends: stored ones repaired as the oscilloscope window
// repairs them, then the options.
#include "cli/ScopeChoice.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelm::cli {
namespace {

auto Tuple(const ScopeSettings& s) {
    return std::tuple(s.Edge, s.Window, s.Delay, s.Level, s.Signal, s.Scale);
}

TEST(ScopeChoice, StoredSettingsRepairedThenOptionsApplied) {
    // Signal 1 has the scales 10, 20, 50, 100 (middle: 20); signal 2 none.
    const ScopeScaleSet signalSet = {
        {"Speed", {{"10/div", 10}, {"20/div", 20}, {"50/div", 50}, {"100/div", 100}}, "rpm"},
        {"State", {}, "bit"}};
    const ScopeSettings stored{9, 30, 900, -7, {0, 99}, {7, 20}};
    // Options as edge, window, delay, level, signals, scales.
    const ScopeOverrides window{{}, 200, {}, {}, {}, {}};
    const ScopeOverrides chosen{3, {}, 40, {}, {{2, 1}}, {{5, 100}}};
    // Options, then the settings sent.
    const std::tuple<ScopeOverrides, ScopeSettings> cases[] = {
        // Edge 1, window 500, the delay within it, signals 1 and 2, signal 1's stored scale
        // is not one of its own: its middle one; signal 2 has none: 1.
        {{}, {1, 500, 500, -7, {1, 2}, {20, 1}}},
        {window, {1, 200, 100, -7, {1, 2}, {20, 1}}}, // a new window: the delay at its half
        {chosen, {3, 500, 40, -7, {2, 1}, {5, 100}}},
    };
    for (const auto& [options, sent] : cases)
        EXPECT_EQ(Tuple(ResolveScope(stored, options, signalSet)), Tuple(sent));
    // The window a delay given alone must fit is the stored one as repaired; a scale must be
    // one of its signal's own.
    const ScopeOverrides late{{}, {}, 40, {}, {}, {}};
    EXPECT_EQ(ScopeRefusal(late, &signalSet, 2, &stored), "");
    const ScopeSettings shortWindow{1, 20, 10, 0, {1, 2}, {10, 1}};
    EXPECT_EQ(ScopeRefusal(late, &signalSet, 2, &shortWindow),
              "--delay takes 0 to the time window (20 ms), not \"40\"");
    const ScopeOverrides scale{{}, {}, {}, {}, {{1, std::nullopt}}, {{30, std::nullopt}}};
    EXPECT_EQ(ScopeRefusal(scale, &signalSet, 2, nullptr),
              "--scale1 takes 10, 20, 50 or 100 for signal 1 (Speed), not \"30\"");
}

} // namespace
} // namespace kelm::cli
