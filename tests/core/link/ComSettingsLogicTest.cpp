#include "core/link/ComSettingsLogic.h"

#include <gtest/gtest.h>

#include <array>

using namespace kelm;
using Variant = ComSettingsLogic::Variant;

namespace {

// The stored values as one comparable array: port, baud rate, parity, link port.
std::array<int, 4> Stored(const ComSettingsValues& v) {
    return {v.ComPort, v.BaudRate, v.Parity, v.LinkComPort};
}

} // namespace

TEST(ComSettingsLogic, ListsAndTheSelectionShownForStoredValues) {
    EXPECT_EQ(ComSettingsLogic::PortItems(), QStringList({"Com 1", "Com 2", "Com 3", "Com 4",
                                                          "Com 5", "Com 6", "Com 7", "Com 8"}));
    EXPECT_EQ(ComSettingsLogic::BaudItems(),
              QStringList({"9600", "14400", "19200", "38400", "56000", "57600", "115200", "128000",
                           "230400", "256000"}));
    EXPECT_EQ(ComSettingsLogic::ParityItems(), QStringList({"No", "Odd", "Even", "Mark", "Space"}));
    EXPECT_EQ(ComSettingsLogic::SelectionFor({8, 256000, 4, 3}),
              (ComSettingsLogic::Selection{7, 9, 4, 3}));
    // Out of range: "Com 1", "19200", "Even", the nearest link port the field holds.
    EXPECT_EQ(ComSettingsLogic::SelectionFor({12, 4800, 5, 0}),
              (ComSettingsLogic::Selection{0, 2, 2, 1}));
    EXPECT_EQ(ComSettingsLogic::SelectionFor({0, 0, -1, 300}),
              (ComSettingsLogic::Selection{0, 2, 2, 255}));
}

// Only what the user changed is stored: an untouched dialog keeps out-of-range values, a
// selection changed and changed back stores nothing; defaults store every differing value.
// The link variant stores only the link port, within the field's range.
TEST(ComSettingsLogic, OnlyChangedSelectionsAreStored) {
    ComSettingsValues store{12, 4800, 7, 10};
    EXPECT_FALSE(ComSettingsLogic(Variant::Standard, store).Apply(store));
    ComSettingsLogic logic(Variant::Standard, store);
    logic.Current().BaudIndex = 6;
    logic.Current().ParityIndex = 3;
    logic.Current().ParityIndex = 2; // the shown fallback of 7
    EXPECT_TRUE(logic.Apply(store));
    EXPECT_EQ(Stored(store), (std::array{12, 115200, 7, 10}));

    for (const Variant variant : {Variant::Standard, Variant::Link}) {
        store = {3, 9600, 0, 10};
        ComSettingsLogic defaults(variant, store);
        defaults.LoadDefaults();
        EXPECT_EQ(defaults.Current(), (ComSettingsLogic::Selection{0, 2, 2, 11}));
        EXPECT_TRUE(defaults.Apply(store));
        EXPECT_EQ(Stored(store), (variant == Variant::Link ? std::array{3, 9600, 0, 11}
                                                           : std::array{1, 19200, 2, 11}));
        ComSettingsLogic same(variant, store);
        same.LoadDefaults();
        EXPECT_FALSE(same.Apply(store)); // nothing differs any more
    }
    ComSettingsLogic typed(Variant::Link, store);
    for (const int outside : {0, 256}) {
        typed.Current().LinkPort = outside;
        EXPECT_FALSE(typed.Apply(store)) << outside;
    }
    typed.Current().LinkPort = 31;
    EXPECT_TRUE(typed.Apply(store));
    EXPECT_EQ(store.LinkComPort, 31);
}
