#include "ui/geninfo/GenInfoModel.h"
#include "core/params/ParamTable.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

// A table holding the given registers (Value and DriveValue alike).
ParamTable Table(std::initializer_list<std::pair<int, int>> registers) {
    ParamTable table;
    for (const auto& [address, value] : registers) {
        ParamEntry entry;
        entry.Address = static_cast<std::uint16_t>(address);
        entry.MinValue = -32768;
        entry.MaxValue = 32767;
        entry.Value = static_cast<std::int16_t>(value);
        entry.DriveValue = entry.Value;
        table.Add(entry);
    }
    return table;
}

TEST(GenInfoModel, StdTextsOfTheExamples) {
    GenInfoTexts t =
        GenInfoTextsFor(DeviceKind::Std, Table({{0, 0x0401}, {1, 0x1203}, {85, 0x0102}}));
    EXPECT_EQ(t.GroupCaption, QStringLiteral(" Drive "));
    EXPECT_EQ(t.ModelLabel, QStringLiteral("Drive Ver."));
    EXPECT_EQ(t.Model, QStringLiteral(" MZ400T "));
    EXPECT_EQ(t.Size, QStringLiteral("  1.5"));
    EXPECT_EQ(t.Firmware, QStringLiteral(" 12.3")); // high byte 0x12 as hex
    EXPECT_EQ(t.Boot, QStringLiteral(" 1.2"));
    EXPECT_TRUE(t.HwInfo.isEmpty());
    t = GenInfoTextsFor(DeviceKind::Std, Table({{0, 0x0103}, {1, 0x0203}}));
    EXPECT_EQ(t.Model, QStringLiteral(" ZEPHON "));
    EXPECT_EQ(t.Size, QStringLiteral("  3.5"));
    EXPECT_EQ(t.Firmware, QStringLiteral(" 2.3"));
    const ParamTable qbx = Table({{0, 0x0203}});
    t = GenInfoTextsFor(DeviceKind::Std, qbx);
    EXPECT_EQ(t.Model, QStringLiteral(" QBX-Net "));
    EXPECT_EQ(t.Size, QStringLiteral("  3.0"));
    EXPECT_FALSE(GenInfoRegenEnabled(DeviceKind::Std, qbx));
    EXPECT_TRUE(GenInfoRegenEnabled(DeviceKind::Std, Table({{0, 0x0401}})));
    EXPECT_EQ(GenInfoTextsFor(DeviceKind::Std, Table({{0, 0x0901}})).Model,
              QStringLiteral("  UNKNOW "));
}

TEST(GenInfoModel, DriveUnitTexts) {
    GenInfoTexts t = GenInfoTextsFor(DeviceKind::Drive, Table({{0, 0x05CA},
                                                               {2, 0x0120},
                                                               {370, 1},
                                                               {371, 2},
                                                               {372, 3},
                                                               {373, 2024},
                                                               {374, 7},
                                                               {375, 4},
                                                               {376, 5},
                                                               {377, -6}}));
    EXPECT_EQ(t.GroupCaption, QStringLiteral(" Tarn Device"));
    EXPECT_EQ(t.ModelLabel, QStringLiteral("Device Ver."));
    EXPECT_EQ(t.Model, QStringLiteral("Tarn Drive 600"));
    EXPECT_EQ(t.Size, QStringLiteral(" 2.5"));
    EXPECT_EQ(t.Firmware, QStringLiteral(" 0120"));
    EXPECT_EQ(t.HwInfo, QStringLiteral("1.2.3   2024:7   4.005.-6"));
    EXPECT_EQ(t.RelayCaption, QStringLiteral(" Remote Relay OK "));
    EXPECT_TRUE(t.BootLabel.isEmpty());
    t = GenInfoTextsFor(DeviceKind::Drive, Table({{0, 0x0503}}));
    EXPECT_EQ(t.Model, QStringLiteral("Unknow"));
    EXPECT_EQ(t.Size, QStringLiteral(" 0.0"));
    t = GenInfoTextsFor(DeviceKind::Drive, Table({{0, 0x0403}}));
    EXPECT_EQ(t.Model, QStringLiteral("  ERROR"));
    EXPECT_EQ(t.Size, QStringLiteral("  Tarn Type?"));
    EXPECT_EQ(GenInfoTextsFor(DeviceKind::Drive, Table({{0, 0x0578}})).Model,
              QStringLiteral("Tarn Drive 300"));
}

TEST(GenInfoModel, PowerAndOrcaTexts) {
    GenInfoTexts t =
        GenInfoTextsFor(DeviceKind::Power, Table({{0, 0x05C8}, {1, 0x0102}, {2, 0x0110}, {3, 12}}));
    EXPECT_EQ(t.Model, QStringLiteral("Tarn Power 600"));
    EXPECT_EQ(t.BootLabel, QStringLiteral("Boot"));
    EXPECT_EQ(t.Boot, QStringLiteral("1.2"));
    EXPECT_EQ(t.SizeLabel, QStringLiteral("Size (kW)"));
    EXPECT_EQ(t.Size, QStringLiteral("4.5"));
    EXPECT_EQ(t.Firmware, QStringLiteral(" 0110"));
    EXPECT_EQ(t.Application, QStringLiteral("12"));
    EXPECT_EQ(t.HwInfo, QStringLiteral("0.0.0   0:0   0.000.0"));
    EXPECT_EQ(GenInfoTextsFor(DeviceKind::Power, Table({{0, 0x0564}})).Model,
              QStringLiteral("Tarn Power 300"));
    t = GenInfoTextsFor(DeviceKind::Orca230, Table({{0, 15}, {1, 0x0105}, {150, 9}}));
    EXPECT_EQ(t.Model, QStringLiteral(" TARN "));
    EXPECT_EQ(t.Size, QStringLiteral("  1.5"));
    EXPECT_EQ(t.Firmware, QStringLiteral("0105"));
    EXPECT_TRUE(t.HwInfo.startsWith(QStringLiteral("9.0.0")));
}

TEST(GenInfoModel, UnlistedCodesSelectTheFirstItemAndApplyStoresIt) {
    ParamTable table = Table({{0, 0x0103}, {4, 300}, {103, 123}, {70, 0x0240}, {2, 7}});
    GenInfoSelection s = LoadGenInfoSelection(DeviceKind::Std, table);
    EXPECT_EQ(s.CanIndex, 0);
    EXPECT_EQ(s.RegenIndex, 0);
    EXPECT_TRUE(s.ClosedWhenReady);
    EXPECT_FALSE(s.OpenWithI2t);
    EXPECT_EQ(s.Address, 7);
    // Loading alone changes nothing.
    EXPECT_EQ(table.FindByAddress(4)->Value, 300);
    s.OpenWithI2t = true;
    s.EmergencyStop = true;
    s.ClosedWhenReady = false;
    StoreGenInfoSelection(DeviceKind::Std, table, s);
    EXPECT_EQ(table.FindByAddress(4)->Value, 50);
    EXPECT_EQ(table.FindByAddress(103)->Value, 0);
    EXPECT_EQ(table.FindByAddress(70)->Value, 0x0940); // bit 6 kept
    s.RegenIndex = 2;
    s.CanIndex = 6;
    StoreGenInfoSelection(DeviceKind::Std, table, s);
    EXPECT_EQ(table.FindByAddress(103)->Value, 800);
    EXPECT_EQ(table.FindByAddress(4)->Value, 1000);
}

TEST(GenInfoModel, LinkVariantsKeepTheirBitsAndWideAddresses) {
    ParamTable drive = Table({{76, 0x0200}, {7, 10}, {6, -1}});
    GenInfoSelection s = LoadGenInfoSelection(DeviceKind::Drive, drive);
    EXPECT_EQ(s.CanIndex, 7); // 10 kbit/s
    EXPECT_EQ(s.Address, 65535);
    s.OpenWithI2t = true;
    s.ClosedWhenReady = false; // no such box on a Drive unit: bit 0x200 untouched
    StoreGenInfoSelection(DeviceKind::Drive, drive, s);
    EXPECT_EQ(drive.FindByAddress(76)->Value, 0x0300);
    EXPECT_EQ(drive.FindByAddress(6)->Value, -1);
    s.Address = 40000;
    StoreGenInfoSelection(DeviceKind::Drive, drive, s);
    EXPECT_EQ(static_cast<std::uint16_t>(drive.FindByAddress(6)->Value), 40000);

    ParamTable link = Table({{8, 77}});
    EXPECT_EQ(LoadGenInfoSelection(DeviceKind::Power, link).CanIndex, 0);
    StoreGenInfoSelection(DeviceKind::Power, link, LoadGenInfoSelection(DeviceKind::Power, link));
    EXPECT_EQ(link.FindByAddress(8)->Value, 1000);
}

TEST(GenInfoModel, PowerRegenUsesTheMainPageEncoding) {
    ParamTable v230 = Table({{11, 230}, {12, 5}, {6, 3}});
    GenInfoSelection s = LoadGenInfoSelection(DeviceKind::Power, v230);
    EXPECT_EQ(GenInfoRegenItems(DeviceKind::Power, v230), (QStringList{"160 W", "500 W"}));
    EXPECT_EQ(s.RegenIndex, 1);
    EXPECT_EQ(s.Units, 3);
    s.RegenIndex = 0;
    StoreGenInfoSelection(DeviceKind::Power, v230, s);
    EXPECT_EQ(v230.FindByAddress(12)->Value, 4);

    ParamTable v400 = Table({{11, 400}, {12, 2}});
    EXPECT_EQ(LoadGenInfoSelection(DeviceKind::Power, v400).RegenIndex, 2); // "500 W"
    // 6 is no 400 V code: the first item, stored by the next Apply.
    v400.FindByAddress(12)->Value = 6;
    s = LoadGenInfoSelection(DeviceKind::Power, v400);
    EXPECT_EQ(s.RegenIndex, 0);
    StoreGenInfoSelection(DeviceKind::Power, v400, s);
    EXPECT_EQ(v400.FindByAddress(12)->Value, 0);

    ParamTable none = Table({{11, 110}, {12, 3}});
    s = LoadGenInfoSelection(DeviceKind::Power, none);
    EXPECT_EQ(s.RegenIndex, -1);
    StoreGenInfoSelection(DeviceKind::Power, none, s);
    EXPECT_EQ(none.FindByAddress(12)->Value, 3);
}

} // namespace
} // namespace kelm
