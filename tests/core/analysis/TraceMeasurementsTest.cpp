#include "core/analysis/TraceMeasurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

using namespace kelm;

namespace {

constexpr double PeriodMs = 0.1;
constexpr int Before = 100;

// Before samples at `from`, then the response to a step at sample Before.
std::vector<double> Record(double from, const std::function<double(double ms)>& response,
                           int after = 3000) {
    std::vector<double> values(Before, from);
    for (int i = 0; i < after; ++i)
        values.push_back(response(i * PeriodMs));
    return values;
}

double FirstOrder(double ms) {
    return 1.0 - std::exp(-ms / 10.0);
}

// Second order, damping 0.5, 20 Hz: 16.3 % overshoot.
double Underdamped(double ms) {
    const double zeta = 0.5, wn = 2 * std::numbers::pi * 20, t = ms / 1000;
    const double wd = wn * std::sqrt(1 - zeta * zeta);
    return 1 - std::exp(-zeta * wn * t) *
                   (std::cos(wd * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(wd * t));
}

} // namespace

TEST(TraceMeasurements, StatisticsOfASine) {
    std::vector<double> sine;
    for (int i = 0; i < 1000; ++i)
        sine.push_back(3 + 2 * std::sin(2 * std::numbers::pi * i / 100));
    const auto stats = MeasureTrace(sine);
    ASSERT_TRUE(stats);
    EXPECT_NEAR(stats->Mean, 3, 1e-9);
    EXPECT_NEAR(stats->Rms, std::sqrt(9 + 2), 1e-9);
    EXPECT_NEAR(stats->Maximum, 5, 1e-3);
    EXPECT_NEAR(stats->Minimum, 1, 1e-3);
    EXPECT_NEAR(stats->PeakToPeak, 4, 2e-3);
    EXPECT_FALSE(MeasureTrace({}));
}

TEST(TraceMeasurements, StepsWithKnownAnswers) {
    struct Case {
        const char* name;
        std::vector<double> values;
        double overshoot, rise, settling; // < 0: not checked; settling < 0: none in the record
    };
    const double tau = 10;
    const std::vector<Case> cases{
        {"first order", Record(0, FirstOrder), 0, tau * std::log(9), tau * std::log(50)},
        {"falling, scaled", Record(500, [](double ms) { return 500 - 400 * FirstOrder(ms); }), 0,
         tau * std::log(9), tau * std::log(50)},
        {"second order", Record(0, Underdamped), 16.30, 13.03, 64.3},
        {"never settles", Record(0, [](double ms) { return 1 + 0.5 * std::sin(ms / 5); }), -1, 0,
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto step = MeasureStep(c.values, {PeriodMs, Before, 0.02});
        ASSERT_TRUE(step);
        if (c.overshoot >= 0) {
            EXPECT_NEAR(step->OvershootPercent, c.overshoot, 1.0);
        }
        if (c.rise > 0) {
            ASSERT_TRUE(step->RiseTimeMs);
            EXPECT_NEAR(*step->RiseTimeMs, c.rise, c.rise * 0.05);
        }
        if (c.settling < 0) {
            EXPECT_FALSE(step->SettlingTimeMs);
        } else {
            ASSERT_TRUE(step->SettlingTimeMs);
            EXPECT_NEAR(*step->SettlingTimeMs, c.settling, c.settling * 0.1);
        }
        EXPECT_FALSE(step->SteadyStateError); // no reference given
    }
}

TEST(TraceMeasurements, SteadyStateErrorAgainstTheReference) {
    const auto response = Record(0, [](double ms) { return 0.95 * FirstOrder(ms); });
    std::vector<double> reference(Before, 0.0);
    reference.resize(response.size(), 1.0);
    const auto step = MeasureStep(response, {PeriodMs, Before, 0.02}, reference);
    ASSERT_TRUE(step && step->SteadyStateError);
    EXPECT_NEAR(*step->SteadyStateError, 0.05, 1e-3);
    EXPECT_NEAR(step->Peak, 0.95, 1e-3);
}

TEST(TraceMeasurements, NoStepToMeasure) {
    const std::vector<double> flat(500, 7.0);
    EXPECT_FALSE(MeasureStep(flat, {PeriodMs, 100, 0.02}));
    const auto rising = Record(0, FirstOrder);
    EXPECT_FALSE(MeasureStep(rising, {PeriodMs, static_cast<int>(rising.size()), 0.02}));
    EXPECT_FALSE(MeasureStep(rising, {PeriodMs, -1, 0.02}));
    // A step at the first sample has no samples before it: the response's start counts.
    const auto atStart = MeasureStep(std::span(rising).subspan(Before), {PeriodMs, 0, 0.02});
    ASSERT_TRUE(atStart);
    EXPECT_NEAR(atStart->Initial, 0, 1e-12);
}
