#include "core/params/LimitCheck.h"

#include <gtest/gtest.h>

using namespace kelm;

// Which written values lie outside their limits, each read by the register's signedness.
TEST(LimitCheck, ListsWrittenValuesOutsideTheirLimits) {
    struct Row {
        char Kind;
        int Min, Max, Value, Drive;
        bool Listed;
        int Shown; // the value as listed
    };
    const Row rows[] = {
        {'A', 2, 32, 999, 8, true, 999},        // the hand-edited motor poles
        {'A', 2, 32, 32, 8, false, 0},          // on the limit
        {'D', 2, 32, 1, 8, true, 1},            // below
        {'A', -100, 100, -101, 0, true, -101},  // signed
        {'N', 2, 32, 999, 8, false, 0},         // never written
        {'F', 2, 32, 999, 8, false, 0},         // read back, not written
        {'A', 2, 32, 40, 40, false, 0},         // the drive holds it already
        {'A', 0, 65535, 40000, 0, false, 0},    // unsigned: 40000 is inside
        {'A', 0, 50000, 60000, 0, true, 60000}, // unsigned: above
        {'A', 100, 40000, 50, 200, true, 50},   // unsigned: below
        {'A', 0, 65535, -1, 0, false, 0},       // 65535 written as its 16-bit word
    };
    ParamTable table;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        ParamEntry e;
        e.Name = QStringLiteral("R%1").arg(i);
        e.Address = static_cast<std::uint16_t>(i);
        e.KindLetter = rows[i].Kind;
        e.MinValue = static_cast<std::int16_t>(rows[i].Min);
        e.MaxValue = static_cast<std::int16_t>(rows[i].Max);
        e.Value = static_cast<std::int16_t>(rows[i].Value);
        e.DriveValue = static_cast<std::int16_t>(rows[i].Drive);
        table.Add(e);
    }
    const auto outside = ValuesOutsideLimits(table);
    std::size_t next = 0;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (!rows[i].Listed)
            continue;
        ASSERT_LT(next, outside.size()) << "row " << i;
        EXPECT_EQ(outside[next].Address, i);
        EXPECT_EQ(outside[next].Value, rows[i].Shown) << "row " << i;
        ++next;
    }
    EXPECT_EQ(next, outside.size());
    EXPECT_TRUE(OutOfLimitLines(outside).startsWith("R0 (0): 999, limits 2 to 32\rR2 (2): 1,"));
    EXPECT_TRUE(OutOfLimitLines(outside).contains("R8 (8): 60000, limits 0 to 50000"));

    KeepDriveValues(table, outside);
    EXPECT_TRUE(ValuesOutsideLimits(table).empty());
    EXPECT_EQ(table.FindByAddress(0)->Value, 8);
}
