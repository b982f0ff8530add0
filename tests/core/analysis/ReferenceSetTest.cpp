#include "core/analysis/ReferenceSet.h"

#include <gtest/gtest.h>

using namespace kelm;

TEST(ReferenceSet, KeepsFourAndReplacesTheOldest) {
    ReferenceSet set;
    for (int i = 1; i <= ReferenceSet::Capacity; ++i)
        EXPECT_EQ(set.Hold({}), 0) << i;
    EXPECT_EQ(set.Hold({}), 1); // the fifth replaces Ref 1
    EXPECT_EQ(set.Hold({}), 2);
    ASSERT_EQ(set.All().size(), 4u);
    EXPECT_EQ(set.All().front().Number, 3);
    EXPECT_EQ(set.All().back().Number, 6);
    set.Clear();
    EXPECT_TRUE(set.Empty());
    EXPECT_EQ(set.Hold({}), 0);
    EXPECT_EQ(set.All().front().Number, 7); // numbers are never reused
}

TEST(ReferenceSet, LegendNamesTheSettingsThatDiffer) {
    const GainSnapshot live{{"Speed KP", 500}, {"Speed KI", 100}};
    ReferenceTrace held;
    held.Number = 2;
    held.Captured = QDateTime(QDate(2024, 5, 1), QTime(14, 3, 7));
    struct Case {
        GainSnapshot gains;
        const char* legend;
    } const cases[] = {
        {{{"Speed KP", 500}, {"Speed KI", 200}}, "Ref 2  14:03:07  Speed KI 200 (100)"},
        {live, "Ref 2  14:03:07  same settings"},
        {{{"Speed KP", 400}, {"I peak", 150}}, "Ref 2  14:03:07  Speed KP 400 (500), I peak 150"},
        {{}, "Ref 2  14:03:07"}, // nothing known to compare
    };
    for (const Case& c : cases) {
        held.Gains = c.gains;
        EXPECT_EQ(ReferenceSet::Legend(held, live), QString::fromUtf8(c.legend));
    }
    ReferenceTrace opened; // from a file: its stamp and name
    opened.Number = 1;
    opened.Record.GeneratedOn = QStringLiteral("Generated on: x");
    opened.Source = QStringLiteral("before.kls");
    EXPECT_EQ(ReferenceSet::Legend(opened, live),
              QStringLiteral("Ref 1  Generated on: x  before.kls"));
}
