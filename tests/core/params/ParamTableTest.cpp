#include "core/params/ParamTable.h"
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

TEST(ParamTable, AddRefusesDuplicateAddressFindAndSort) {
    ParamTable t = Table({100});
    EXPECT_FALSE(t.Add(Entry(100, 'N')));
    EXPECT_EQ(std::tuple(t.Count(), t.At(0).KindLetter), std::tuple(1, 'A'));
    ParamTable dense = Table({0, 1, 2, 3, 4, 5});
    EXPECT_EQ(dense.FindByAddress(5), &dense.At(5));
    ParamTable sparse = Table({9, 3, 5});
    sparse.SortByAddress();
    EXPECT_EQ(std::tuple(sparse.At(0).Address, sparse.At(2).Address), std::tuple(3, 9));
    EXPECT_EQ(sparse.FindByAddress(5), &sparse.At(1));
    EXPECT_EQ(sparse.FindByAddress(4), nullptr);
    // Position 1 holds address 5, not 1: no false direct hit.
    EXPECT_EQ(sparse.FindByAddress(1), nullptr);
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
    struct Case {
        std::uint16_t address;
        std::int16_t defaultValue;
        std::uint32_t baud;
    };
    for (const Case& c : {Case{5, 1152, 115200}, Case{5, 32767, 3276700}, Case{5, 0, 0},
                          Case{5, -1, 0}, Case{6, 1152, 0}}) {
        ParamTable power;
        ParamEntry entry = Entry(c.address);
        entry.DefaultValue = c.defaultValue;
        power.Add(entry);
        EXPECT_EQ(LinkBaudRate(power), c.baud) << c.address << " " << c.defaultValue;
    }
}
