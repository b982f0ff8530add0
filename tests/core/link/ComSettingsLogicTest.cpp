#include "core/link/ComSettingsLogic.h"

#include <gtest/gtest.h>

using namespace kelm;
using Variant = ComSettingsLogic::Variant;

TEST(ComSettingsLogic, Lists) {
    EXPECT_EQ(ComSettingsLogic::PortItems(), QStringList({"Com 1", "Com 2", "Com 3", "Com 4",
                                                          "Com 5", "Com 6", "Com 7", "Com 8"}));
    EXPECT_EQ(ComSettingsLogic::BaudItems(),
              QStringList({"9600", "14400", "19200", "38400", "56000", "57600", "115200", "128000",
                           "230400", "256000"}));
    EXPECT_EQ(ComSettingsLogic::ParityItems(), QStringList({"No", "Odd", "Even", "Mark", "Space"}));
}

TEST(ComSettingsLogic, ShownSelectionForStoredValues) {
    const auto shown = ComSettingsLogic::SelectionFor({8, 256000, 4, 3});
    EXPECT_EQ(shown, (ComSettingsLogic::Selection{7, 9, 4, 3}));
    // Out of range: "Com 1", "19200", "Even".
    const auto fallback = ComSettingsLogic::SelectionFor({12, 4800, 5, 10});
    EXPECT_EQ(fallback, (ComSettingsLogic::Selection{0, 2, 2, 10}));
    EXPECT_EQ(ComSettingsLogic::SelectionFor({0, 0, -1, 10}).PortIndex, 0);
    EXPECT_EQ(ComSettingsLogic::SelectionFor({0, 0, -1, 10}).ParityIndex, 2);
}

TEST(ComSettingsLogic, UntouchedDialogKeepsOutOfRangeValues) {
    ComSettingsValues store{12, 4800, 7, 10};
    const ComSettingsLogic logic(Variant::Standard, store);
    EXPECT_FALSE(logic.Apply(store));
    EXPECT_EQ(store.ComPort, 12);
    EXPECT_EQ(store.BaudRate, 4800);
    EXPECT_EQ(store.Parity, 7);
    EXPECT_EQ(store.LinkComPort, 10);
}

TEST(ComSettingsLogic, OnlyChangedSelectionsAreStored) {
    ComSettingsValues store{12, 4800, 1, 10};
    ComSettingsLogic logic(Variant::Standard, store);
    logic.Current().BaudIndex = 6;
    EXPECT_TRUE(logic.Apply(store));
    EXPECT_EQ(store.BaudRate, 115200);
    EXPECT_EQ(store.ComPort, 12);
    EXPECT_EQ(store.Parity, 1);

    // Changing a selection and changing it back stores nothing.
    ComSettingsLogic again(Variant::Standard, store);
    again.Current().ParityIndex = 3;
    again.Current().ParityIndex = 1;
    EXPECT_FALSE(again.Apply(store));
}

TEST(ComSettingsLogic, LoadDefaultsStoresEveryDifferingValue) {
    ComSettingsValues store{3, 9600, 0, 10};
    ComSettingsLogic logic(Variant::Standard, store);
    logic.LoadDefaults();
    EXPECT_EQ(logic.Current(), (ComSettingsLogic::Selection{0, 2, 2, 11}));
    EXPECT_TRUE(logic.Apply(store));
    EXPECT_EQ(store.ComPort, 1);
    EXPECT_EQ(store.BaudRate, 19200);
    EXPECT_EQ(store.Parity, 2);
    EXPECT_EQ(store.LinkComPort, 11);

    // Defaults on a store that already holds them change nothing.
    ComSettingsLogic same(Variant::Standard, store);
    same.LoadDefaults();
    EXPECT_FALSE(same.Apply(store));
}

TEST(ComSettingsLogic, LinkVariantStoresOnlyTheLinkPort) {
    ComSettingsValues store{3, 9600, 0, 10};
    ComSettingsLogic logic(Variant::Link, store);
    logic.LoadDefaults();
    EXPECT_TRUE(logic.Apply(store));
    EXPECT_EQ(store.LinkComPort, 11);
    EXPECT_EQ(store.ComPort, 3);
    EXPECT_EQ(store.BaudRate, 9600);
    EXPECT_EQ(store.Parity, 0);

    ComSettingsLogic typed(Variant::Link, store);
    typed.Current().LinkPort = 31;
    EXPECT_TRUE(typed.Apply(store));
    EXPECT_EQ(store.LinkComPort, 31);
}

TEST(ComSettingsLogic, LinkPortOutsideTheFieldRangeIsNotStored) {
    ComSettingsValues store{1, 19200, 2, 10};
    ComSettingsLogic logic(Variant::Link, store);
    logic.Current().LinkPort = 0;
    EXPECT_FALSE(logic.Apply(store));
    logic.Current().LinkPort = 256;
    EXPECT_FALSE(logic.Apply(store));
    EXPECT_EQ(store.LinkComPort, 10);
}
