#include "core/params/LimitCheck.h"

#include <gtest/gtest.h>

using namespace kelm;

// Which written values lie outside their limits, each read by the register's signedness.
TEST(LimitCheck, ListsWrittenValuesOutsideTheirLimits) {
    using W = std::int16_t; // the 16-bit words the table holds
    ParamTable table;
    // Name, access, kind, address, min, max, default, value, file value, drive value.
    table.Add({"Poles", 'E', 'A', 1, 2, 32, 0, 999, 0, 8});             // listed
    table.Add({"Signed", 'E', 'A', 3, -100, 100, 0, -101, 0, 0});       // listed
    table.Add({"Status", 'E', 'N', 4, 2, 32, 0, 999, 0, 8});            // never written
    table.Add({"Held", 'E', 'A', 5, 2, 32, 0, 40, 0, 40});              // the drive holds it
    table.Add({"Wide", 'E', 'A', 6, 0, W(65535), 0, W(40000), 0, 0});   // unsigned, inside
    table.Add({"Above", 'E', 'F', 7, 0, W(50000), 0, W(60000), 0, 0});  // read back only
    table.Add({"Beyond", 'E', 'A', 8, 0, W(50000), 0, W(60000), 0, 0}); // listed
    // The limits themselves are inside; one step past either is outside.
    table.Add({"AtMax", 'E', 'A', 9, 2, 32, 0, 32, 0, 0});
    table.Add({"AtMin", 'E', 'A', 10, -100, 100, 0, -100, 0, 0});
    table.Add({"OverMax", 'E', 'A', 11, 2, 32, 0, 33, 0, 0});
    table.Add({"UnderMin", 'E', 'A', 12, 2, 32, 0, 1, 0, 0});
    table.Add({"WideTop", 'E', 'A', 13, 0, W(50000), 0, W(50000), 0, 0});
    table.Add({"WideOver", 'E', 'A', 14, 0, W(50000), 0, W(50001), 0, 0});
    const auto outside = ValuesOutsideLimits(table);
    EXPECT_EQ(OutOfLimitLines(outside), "Poles (1): 999, limits 2 to 32\r"
                                        "Signed (3): -101, limits -100 to 100\r"
                                        "Beyond (8): 60000, limits 0 to 50000\r"
                                        "OverMax (11): 33, limits 2 to 32\r"
                                        "UnderMin (12): 1, limits 2 to 32\r"
                                        "WideOver (14): 50001, limits 0 to 50000");
    KeepDriveValues(table, outside);
    EXPECT_TRUE(ValuesOutsideLimits(table).empty());
}
