#include "core/drive/DriveIdentity.h"
#include "core/drive/LinkIdentification.h"
#include "core/params/ParamTable.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

ParamTable Register0(std::uint16_t word) {
    ParamTable table;
    ParamEntry entry;
    entry.Address = 0;
    entry.Value = static_cast<std::int16_t>(word);
    table.Add(entry);
    return table;
}

TEST(DriveIdentity, StdModelsSizesAndRegenChoice) {
    struct Case {
        std::uint16_t word;
        const char* text;
        double size;
        bool regen;
    };
    const Case cases[] = {
        {0x0401, " MZ400T ", 1.5, true},   {0x0103, " ZEPHON ", 3.5, true},
        {0x0203, " QBX-Net ", 3.0, false}, {0x0305, " Rapid Lynx ", 5.0, false},
        {0x0465, " MZ230T ", 1.5, true},   {0x04C8, " MZ230M ", 0.0, true},
        {0x04FB, " MZ230M ", 51.0, true},  {0x0903, "  UNKNOW ", 3.0, false},
        {0x0101, " ZEPHON ", 1.5, true},   {0x0102, " ZEPHON ", 2.0, true},
    };
    for (const Case& c : cases) {
        const ParamTable table = Register0(c.word);
        SCOPED_TRACE(c.word);
        EXPECT_EQ(ModelText(DeviceKind::Std, table), c.text);
        EXPECT_DOUBLE_EQ(GetDriveSize(DeviceKind::Std, table), c.size);
        EXPECT_EQ(RegenChoiceEnabled(GetModelFamily(DeviceKind::Std, table)), c.regen);
    }
    EXPECT_EQ(GetModelFamily(DeviceKind::Std, Register0(0x0401)), 4);
    EXPECT_EQ(GetModelSeries(Register0(0x04C8)), 2);
}

TEST(DriveIdentity, TarnModelsAndSizes) {
    // 0x05D2 (210) has no .5.
    const std::tuple<std::uint16_t, const char*, double> drives[] = {
        {0x05CA, "Tarn Drive 600", 2.5},
        {0x0503, "Unknow", 0.0},
        {0x0403, "  ERROR", 0.0},
        {0x056E, "Tarn Drive 300", 10.0},
        {0x05D2, "Tarn Drive 600", 10.0}};
    for (const auto& [word, text, size] : drives) {
        EXPECT_EQ(ModelText(DeviceKind::Drive, Register0(word)), text) << word;
        EXPECT_DOUBLE_EQ(GetDriveSize(DeviceKind::Drive, Register0(word)), size) << word;
    }
    EXPECT_FALSE(DriveTypeValid(Register0(0x0403)));
    EXPECT_EQ(ModelText(DeviceKind::Power, Register0(0x05C8)), "Tarn Power 600");
    EXPECT_EQ(ModelText(DeviceKind::Power, Register0(0x05C7)), "Tarn Power 300");
    EXPECT_EQ(GetModelFamily(DeviceKind::Power, Register0(0x05C8)), 0);
    EXPECT_EQ(ModelText(DeviceKind::Orca230, Register0(25)), " TARN ");
    EXPECT_NEAR(GetDriveSize(DeviceKind::Orca230, Register0(25)), 2.5, 1e-9);
    EXPECT_NEAR(GetDriveSize(DeviceKind::Orca230, Register0(0xFFF6)), -1.0, 1e-9);
    const ParamTable empty; // a missing register 0 decodes as 0
    EXPECT_EQ(std::tuple(ModelText(DeviceKind::Std, empty), GetDriveSize(DeviceKind::Std, empty),
                         ModelText(DeviceKind::Drive, empty)),
              std::tuple(QString("  UNKNOW "), 0.0, QString("  ERROR")));
}

TEST(DriveIdentity, VersionAndHardwareTextsAndCanBaudLists) {
    EXPECT_EQ(
        QStringList({StdFirmwareText(0x1A05), StdFirmwareText(0x0F0C), BootVersionText(0x0203),
                     HardwareInfoText({1, 2, 3, 10, 30, 2024, 7, -1}), SizeText(1.5, true),
                     SizeText(12.0, false), LinkCanBaudList().Items.at(4)}),
        QStringList({" 1A.5", " 15.12", " 2.3", "1.2.3   10:30   2024.007.-1", " 1.5", "12.0",
                     "125 kbit(s"}));
    EXPECT_EQ(std::tuple(PlainCanBaudList().Items.size(), CanBaudIndex(PlainCanBaudList(), 300),
                         CanBaudIndex(PlainCanBaudList(), 1000),
                         CanBaudIndex(LinkCanBaudList(), 10)),
              std::tuple(7, -1, 6, 7));
}

// Which unit an address names on an identified link: Power unit at the base address, Drive
// units above it, an Orca at 2 (and at the base, where its signature was read).
TEST(DriveIdentity, LinkUnitKindByAddress) {
    const LinkIdentity link{true, false, 10, 3}, orca{true, true, 1, 0}, silent{false, false, 1, 3};
    const std::optional<DeviceKind> no, power = DeviceKind::Power, drive = DeviceKind::Drive,
                                        orca230 = DeviceKind::Orca230;
    EXPECT_EQ((std::vector{LinkUnitKind(link, 10), LinkUnitKind(link, 11), LinkUnitKind(link, 13),
                           LinkUnitKind(link, 14), LinkUnitKind(link, 9), LinkUnitKind(orca, 2),
                           LinkUnitKind(orca, 1), LinkUnitKind(orca, 3), LinkUnitKind(silent, 1)}),
              (std::vector{power, drive, drive, no, no, orca230, orca230, no, no}));
}

} // namespace
} // namespace kelm
