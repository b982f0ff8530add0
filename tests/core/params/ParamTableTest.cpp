#include "core/params/ParamTable.h"
#include "core/params/LimitCheck.h"
#include "core/params/LinkBaud.h"

#include <gtest/gtest.h>

using namespace kelm;

namespace {

ParamEntry Entry(std::uint16_t address, char kind = 'A', std::int16_t value = 0) {
    return {QString("R%1").arg(address), 'U', kind, address, 0, 0, 0, value};
}

ParamTable Table(std::initializer_list<std::uint16_t> addresses) {
    ParamTable t;
    for (auto a : addresses)
        t.Add(Entry(a));
    return t;
}

} // namespace

// Position 1 of the sorted table holds address 5, not 1: no false direct hit.
TEST(ParamTable, AddRefusesDuplicateAddressFindAndSort) {
    ParamTable t = Table({100});
    EXPECT_FALSE(t.Add(Entry(100, 'N')));
    EXPECT_EQ(std::tuple(t.Count(), t.At(0).KindLetter), std::tuple(1, 'A'));
    ParamTable dense = Table({0, 1, 2, 3, 4, 5});
    EXPECT_EQ(dense.FindByAddress(5), &dense.At(5));
    ParamTable sparse = Table({9, 3, 5});
    sparse.SortByAddress();
    EXPECT_EQ(std::tuple(sparse.At(0).Address, sparse.At(2).Address), std::tuple(3, 9));
    EXPECT_EQ(std::tuple(sparse.FindByAddress(5), sparse.FindByAddress(4), sparse.FindByAddress(1)),
              std::tuple(&sparse.At(1), nullptr, nullptr));
}

TEST(ParamTable, CopyFromAndUpdateValuesFromRefuseMismatches) {
    ParamTable dest = Table({1, 2});
    EXPECT_TRUE(!dest.CopyFrom(ParamTable{}) && dest.Count() == 2);
    EXPECT_TRUE(dest.CopyFrom(Table({7})) && dest.Count() == 1 && dest.At(0).Address == 7);

    dest = Table({1, 2, 3});
    ParamTable src = Table({1, 9, 3});
    for (auto& e : src)
        e.Value = 42;
    EXPECT_TRUE(dest.UpdateValuesFrom(src));
    EXPECT_EQ(std::tuple(dest.At(0).Value, dest.At(1).Value, dest.At(2).Value),
              std::tuple(42, 0, 42));
    EXPECT_FALSE(dest.UpdateValuesFrom(Table({1})));
}

TEST(ParamTable, ColumnsDefaultsAndUnsavedChangesOnlyForAAndF) {
    ParamTable t;
    t.Add(Entry(1, 'D', 5));
    t.Add(Entry(2, 'N', 5));
    EXPECT_FALSE(t.HasUnsavedChanges());
    t.Add(Entry(3, 'F', 5));
    EXPECT_TRUE(t.HasUnsavedChanges());
    t.CopyColumn(Column::FileValue, Column::Value);
    EXPECT_TRUE(!t.HasUnsavedChanges() && t.At(2).FileValue == 5);
    t.At(2).DefaultValue = -3;
    t.ResetValuesToDefault();
    EXPECT_EQ(t.At(2).Value, -3);
}

TEST(ParamTable, LinkBaudRateIsHundredTimesRegisterFiveDefault) {
    const std::tuple<std::uint16_t, std::int16_t, std::uint32_t> cases[] = {
        {5, 1152, 115200}, {5, 32767, 3276700}, {5, 0, 0}, {5, -1, 0}, {6, 1152, 0}};
    for (const auto& [address, defaultValue, baud] : cases) {
        ParamTable power;
        ParamEntry entry = Entry(address);
        entry.DefaultValue = defaultValue;
        power.Add(entry);
        EXPECT_EQ(LinkBaudRate(power), baud) << address << " " << defaultValue;
    }
}

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
