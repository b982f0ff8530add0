#include "core/rules/GenInfoModel.h"
#include "core/params/ParamTable.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

using Registers = std::vector<std::pair<int, int>>;

// A table holding the given registers (Value and DriveValue alike).
ParamTable Table(const Registers& registers) {
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

// The model names and which models have a regen resistor are checked with the drive
// identity.
TEST(GenInfoModel, IdentificationTextsPerKind) {
    struct Case {
        DeviceKind kind;
        Registers registers;
        const char* model;
        const char* size;
        const char* firmware; // nullptr: not checked
    };
    const Case cases[] = {
        {DeviceKind::Std, {{0, 0x0401}, {1, 0x1203}}, " MZ400T ", "  1.5", " 12.3"},
        {DeviceKind::Std, {{0, 0x0103}, {1, 0x0203}}, " ZEPHON ", "  3.5", " 2.3"},
        {DeviceKind::Drive, {{0, 0x05CA}, {2, 0x0120}}, "Tarn Drive 600", " 2.5", " 0120"},
        {DeviceKind::Drive, {{0, 0x0403}}, "  ERROR", "  Tarn Type?", nullptr},
        {DeviceKind::Power, {{0, 0x05C8}, {2, 0x0110}}, "Tarn Power 600", "4.5", " 0110"},
        {DeviceKind::Orca230, {{0, 15}, {1, 0x0105}}, " TARN ", "  1.5", "0105"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const GenInfoTexts t = GenInfoTextsFor(c.kind, Table(c.registers));
        EXPECT_EQ((QStringList{t.Model, t.Size, c.firmware ? t.Firmware : ""}),
                  (QStringList{c.model, c.size, c.firmware ? c.firmware : ""}));
    }
}

TEST(GenInfoModel, LabelsBootAndHardwareInformationPerKind) {
    GenInfoTexts t = GenInfoTextsFor(DeviceKind::Std, Table({{0, 0x0401}, {85, 0x0102}}));
    EXPECT_EQ(QStringList({t.GroupCaption, t.ModelLabel, t.Boot, t.HwInfo}),
              QStringList({" Drive ", "Drive Ver.", " 1.2", ""}));

    Registers hardware{{0, 0x05CA}}; // registers 370 on
    for (const int value : {1, 2, 3, 2024, 7, 4, 5, -6})
        hardware.emplace_back(370 + static_cast<int>(hardware.size()) - 1, value);
    t = GenInfoTextsFor(DeviceKind::Drive, Table(hardware));
    EXPECT_EQ(QStringList({t.GroupCaption, t.ModelLabel, t.HwInfo, t.RelayCaption, t.BootLabel}),
              QStringList({" Tarn Device", "Device Ver.", "1.2.3   2024:7   4.005.-6",
                           " Remote Relay OK ", ""}));

    t = GenInfoTextsFor(DeviceKind::Power, Table({{0, 0x05C8}, {1, 0x0102}, {3, 12}}));
    EXPECT_EQ(QStringList({t.BootLabel, t.Boot, t.SizeLabel, t.Application, t.HwInfo}),
              QStringList({"Boot", "1.2", "Size (kW)", "12", "0.0.0   0:0   0.000.0"}));

    t = GenInfoTextsFor(DeviceKind::Orca230, Table({{0, 15}, {150, 9}}));
    EXPECT_TRUE(t.HwInfo.startsWith(QStringLiteral("9.0.0")));
}

// Std loading and Apply are checked through the dialog.
TEST(GenInfoModel, LinkVariantsKeepTheirBitsAndWideAddresses) {
    const ParamTable drive = Table({{76, 0x0200}, {7, 10}, {6, -1}});
    GenInfoEdits edits(DeviceKind::Drive, drive);
    edits.Open();
    EXPECT_TRUE(edits.Empty()); // 10 kbit/s is listed
    EXPECT_EQ(std::tuple(edits.Selection().CanIndex, edits.Selection().Address),
              std::tuple(7, 65535));
    edits.SetRelayBit(RelayOpenWithI2t, true);
    edits.SetRelayBit(RelayClosedWhenReady, false); // no such box on a Drive unit
    EXPECT_EQ(edits.Tracker().Shown(76, 0x0200), 0x0300);
    EXPECT_TRUE(edits.RelayBitEdited(RelayOpenWithI2t) &&
                !edits.RelayBitEdited(RelayClosedWhenReady));
    edits.SetAddress(65535); // what is shown already: no edit
    EXPECT_FALSE(edits.Edited(6));
    edits.SetAddress(40000);
    EXPECT_EQ(static_cast<std::uint16_t>(edits.Tracker().Shown(6, 0)), 40000);
    EXPECT_EQ(drive.FindByAddress(6)->Value, -1); // nothing in the table

    // An unlisted rate is corrected on opening; clearing drops the correction.
    const ParamTable power = Table({{8, 77}}); // the edits keep a reference to their table
    GenInfoEdits link(DeviceKind::Power, power);
    link.Open();
    EXPECT_EQ(link.Tracker().Shown(8, 77), 1000);
    link.Clear();
    EXPECT_TRUE(link.Empty());
}

TEST(GenInfoModel, PowerRegenUsesTheMainPageEncoding) {
    const ParamTable v230 = Table({{11, 230}, {12, 5}, {6, 3}});
    GenInfoEdits edits(DeviceKind::Power, v230);
    edits.Open();
    EXPECT_EQ(GenInfoRegenItems(DeviceKind::Power, v230), (QStringList{"160 W", "500 W"}));
    EXPECT_EQ(std::tuple(edits.Selection().RegenIndex, edits.Selection().Units), std::tuple(1, 3));
    edits.ChooseRegen(0);
    edits.SetUnits(5);
    EXPECT_EQ(std::tuple(edits.Tracker().Shown(12, 5), edits.Tracker().Shown(6, 3)),
              std::tuple(4, 5));

    // 6 is no 400 V code: the first item, a correction of the opening.
    const ParamTable v400Table = Table({{11, 400}, {12, 6}});
    GenInfoEdits v400(DeviceKind::Power, v400Table);
    v400.Open();
    EXPECT_EQ(std::tuple(v400.Selection().RegenIndex, v400.Tracker().Shown(12, 6)),
              std::tuple(0, 0));

    const ParamTable v110 = Table({{11, 110}, {12, 3}});
    GenInfoEdits none(DeviceKind::Power, v110);
    none.Open();
    EXPECT_EQ(none.Selection().RegenIndex, -1);
    none.ChooseRegen(0);
    EXPECT_TRUE(none.Empty());
}

} // namespace
} // namespace kelm
