#include "core/rules/ProfileRules.h"
#include "core/rules/FieldBinding.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

namespace kelm::profile {
namespace {

TEST(ProfileRules, DisplaySuccessorLoopLimitsAndTrapezoid) {
    const struct {
        std::int16_t Stored;
        std::int32_t FieldMax, Shown;
    } shown[] = {{-25536, 65535, 40000}, {-1, 6000, -1}, {-1, 32767, -1}, {-1, 32768, 65535}};
    for (const auto& c : shown)
        EXPECT_EQ(ShownValue(c.Stored, c.FieldMax), c.Shown) << c.Stored << " " << c.FieldMax;

    const std::pair<std::int16_t, int> successors[] = {{0, 0},  {1, 1},  {32, 32},
                                                       {33, 0}, {-1, 0}, {-32768, 0}};
    for (const auto& [stored, index] : successors)
        EXPECT_EQ(SuccessorIndex(stored), index) << stored;

    // A task naming itself and tasks naming each other are the editor's; no successor.
    EXPECT_FALSE(IsProfileLoop(4, 0));
    // The limits from 8000 and 3000 rpm are the editor's.
    EXPECT_EQ(MaxPositionSpeed(-5), 0);
    EXPECT_TRUE(SpeedOverMax(6001, 6000));
    EXPECT_FALSE(SpeedOverMax(6000, 6000));

    EXPECT_EQ(TaskBase(31) + 15, 831);
    // Ramps given for 6000 rpm are halved for 3000 rpm. (The points' places on the
    // logarithmic time axis are the chart's drawing.)
    const double x = TimeAxisMax();
    auto p = TrapezoidPoints(3000, 1000, 500, 6000, x);
    EXPECT_EQ(QStringList({p[0].Label, p[1].Label, p[2].Label, p[3].Label}),
              QStringList({"Start", "Acc = 500.0 ms", "Dec = 250.0 ms", "End"}));
    EXPECT_EQ(p[1].Y, 3000);
    EXPECT_EQ(p[3].X, x);
    // A speed below 10 ramps as 10 but is drawn as typed; no maximum divides nothing by 0.
    p = TrapezoidPoints(5, 600, 600, 6000, x);
    EXPECT_EQ(p[1].Label, "Acc = 1.0 ms");
    EXPECT_EQ(p[1].Y, 5);
    p = TrapezoidPoints(100, 600, 600, 0, x);
    EXPECT_TRUE(std::isfinite(p[1].X) && std::isfinite(p[2].X));

    EXPECT_EQ(SpeedAxisMax(1000, 6000), 1015);
    EXPECT_EQ(SpeedAxisMax(1001, 6000), 6015);
    EXPECT_EQ(SpeedAxisMax(500, 3001), 515);
}

} // namespace
} // namespace kelm::profile
