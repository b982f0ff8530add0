#include "core/rules/DigitalRequests.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

const WriteOrigin Before{QStringLiteral("old"), 1, {}}; // asked before a transition
const WriteOrigin Now{QStringLiteral("new"), 2, {}};
bool Current(const WriteOrigin& origin) {
    return origin.Generation == 2;
}

// The force requests are checked through DigitalForceSession.
TEST(DigitalRequests, SpeedIsDueOncePerDragWindowAndOnlyWhenCurrent) {
    DigitalRequests r;
    // (position, dragging, ms, due): a drag's first move opens a 200 ms window; a step is due.
    for (const auto& [position, dragging, ms, due] : {std::tuple{10, true, 1000, false},
                                                      {30, true, 1199, false},
                                                      {30, true, 1200, true},
                                                      {40, true, 1399, false},
                                                      {50, false, 1400, true}})
        EXPECT_EQ(r.MoveSpeed(position, Now, dragging, ms), due) << position;
    EXPECT_EQ(r.TakeSpeed(Current).value_or(DigitalRequests::Speed{}).Position, 50);
    EXPECT_FALSE(r.MoveSpeed(60, Before, true, 2000));
    EXPECT_FALSE(r.TakeSpeed(Current, true).has_value()); // dropped, not written
    EXPECT_FALSE(r.SpeedPending());
}

} // namespace
} // namespace kelm
