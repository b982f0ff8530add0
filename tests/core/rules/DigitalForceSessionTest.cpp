#include "core/rules/DigitalForceSession.h"
#include "core/rules/DigitalRequests.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

const WriteOrigin Before{QStringLiteral("old"), 1, {}}; // asked before a transition
const WriteOrigin Asked{QStringLiteral("force"), 2, {}};
const DigitalRequests::Current Current = [](const WriteOrigin& o) { return o.Generation == 2; };
const DigitalForceSession::States Row2{false, false, true}; // only DGT-IN3

TEST(DigitalForceSession, LiveAfterTwoRefreshesAndOnlyThenTakesClicks) {
    DigitalForceSession s(true);
    const DigitalForceSession::States none{};
    EXPECT_FALSE(s.OnRefresh(none, none, Current).Counted); // not shown yet
    ASSERT_TRUE(s.Show());
    EXPECT_FALSE(s.Click(2, true, Asked));
    // Forced only (effective without hardware) shows on; the second refresh makes it live.
    EXPECT_TRUE(s.OnRefresh(none, Row2, Current).PollAgain);
    EXPECT_TRUE(s.OnRefresh(none, Row2, Current).BecameLive);
    EXPECT_TRUE(s.Live() && s.SwitchOn(2));
    s.SetSwitchType(4, true);
    ASSERT_TRUE(s.Click(4, true, Asked) && s.Click(2, false, Asked) && s.Click(6, true, Before));
    EXPECT_FALSE(s.SwitchOn(4)); // a push button springs back
    const DigitalForceSession::Refresh live = s.OnRefresh(none, Row2, Current);
    EXPECT_EQ(std::tuple(live.MasksTaken, live.Masks.ForceOn, live.Masks.Release),
              std::tuple(true, 0x0010, 0x0004));
    EXPECT_FALSE(s.SwitchOn(2)); // the release was pending: the user's off stays
}

TEST(DigitalForceSession, OffLineDropsEverythingAndStartsOver) {
    DigitalForceSession s(false);
    EXPECT_FALSE(s.Show()); // shown off line: no countdown
    const DigitalForceSession::States none{};
    EXPECT_FALSE(s.OnRefresh(none, none, Current).Counted);
    ASSERT_TRUE(s.Restart());
    EXPECT_TRUE(s.Counting());
    for (int i = 0; i < 2; ++i)
        s.OnRefresh(none, none, Current);
    ASSERT_TRUE(s.Click(1, true, Asked));
    s.GoOffLine();
    EXPECT_FALSE(s.Restart() && s.Live());
    for (int i = 0; i < 2; ++i)
        s.OnRefresh(none, none, Current);
    EXPECT_EQ(s.OnRefresh(none, none, Current).Masks.ForceOn, 0); // the force did not survive
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
        EXPECT_EQ(r.MoveSpeed(position, Asked, dragging, ms), due) << position;
    EXPECT_EQ(r.TakeSpeed(Current).value_or(DigitalRequests::Speed{}).Position, 50);
    EXPECT_FALSE(r.MoveSpeed(60, Before, true, 2000));
    EXPECT_FALSE(r.TakeSpeed(Current, true).has_value()); // dropped, not written
    EXPECT_FALSE(r.SpeedPending());
}

} // namespace
} // namespace kelm
