// A step's capture: the window that ends before the step does, the trigger in the step's
// direction, refusals; and the step's sample found on a recorded reference.
#include "core/drive/scope/StepPlan.h"
#include "core/analysis/TraceMeasurements.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

ScopeScaleSet Signals(const QString& first, const QString& second) {
    const std::vector<ScopeScale> scales{{"100", 100}, {"200", 200}, {"500", 500}};
    return {{first, scales, "rpm"}, {"Current", scales, "%"}, {second, scales, "rpm"}};
}

TEST(StepPlanTest, WindowTriggerAndScaleFollowTheStep) {
    struct Case {
        int Rpm, Ms, Window, Delay, Edge, Level, Scale;
    };
    for (const Case c : {Case{500, 500, 500, 50, 1, 50, 200}, Case{-300, 200, 200, 20, 2, -30, 100},
                         Case{5, 10, 10, 1, 1, 1, 100}, Case{2000, 10000, 10000, 1000, 1, 200, 500},
                         Case{100, 449, 200, 20, 1, 10, 100}}) {
        QString refusal;
        const auto plan =
            scope::PlanStep(Signals("Speed", "Speed Reference"), c.Rpm, c.Ms, refusal);
        ASSERT_TRUE(plan) << c.Rpm << ' ' << c.Ms;
        EXPECT_EQ(plan->Signal1, 1);
        EXPECT_EQ(plan->Signal2, 3);
        EXPECT_EQ(std::tuple(plan->TimeWindow, plan->Delay, plan->Edge, plan->Level, plan->Scale1),
                  std::tuple(c.Window, c.Delay, c.Edge, c.Level, c.Scale))
            << c.Rpm << ' ' << c.Ms;
    }
    QString refusal;
    EXPECT_FALSE(scope::PlanStep(Signals("Speed", "Reference"), 500, 500, refusal));
    EXPECT_FALSE(scope::PlanStep(Signals("Speed", "Speed Reference"), 0, 500, refusal));
    EXPECT_FALSE(scope::PlanStep(Signals("Speed", "Speed Reference"), 500, 9, refusal));
    EXPECT_FALSE(refusal.isEmpty());
}

TEST(StepPlanTest, StepIndexIsWhereTheReferencePassesHalfWay) {
    EXPECT_EQ(StepIndexOf(std::vector<double>{0, 0, 0, 500, 500, 0}), 3);
    EXPECT_EQ(StepIndexOf(std::vector<double>{10, 10, -100, -290, -290}), 3);
    EXPECT_EQ(StepIndexOf(std::vector<double>{7, 7, 7}), std::nullopt);
    EXPECT_EQ(StepIndexOf(std::vector<double>{}), std::nullopt);
}

} // namespace
} // namespace kelm
