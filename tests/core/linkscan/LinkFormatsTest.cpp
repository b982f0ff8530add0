#include "core/drive/linkscan/LinkFormats.h"
#include "core/drive/linkscan/LinkScan.h"
#include "core/drive/linkscan/UnitPanelView.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

ParamEntry Entry(std::uint16_t address, std::int16_t max = 32767) {
    return {QStringLiteral("R%1").arg(address), 'U', 'N', address, -32768, max};
}

LinkUnit MakeUnit(bool power) {
    LinkUnit unit;
    unit.IsPower = power;
    unit.Address = power ? 10 : 11;
    unit.Answering = true;
    unit.SelectTag = unit.Address;
    unit.IdentPending = false;
    for (int a = 0; a < 210; ++a)
        unit.Table.Add(Entry(static_cast<std::uint16_t>(a), (a == 6 || a == 7) ? 255 : 32767));
    return unit;
}

void Set(LinkUnit& unit, std::uint16_t address, int value) {
    unit.Table.FindByAddress(address)->DriveValue = static_cast<std::int16_t>(value);
}

TEST(LinkFormats, RunningTimeAndSigned32BitPulses) {
    EXPECT_EQ(
        QStringList({RunningTimeText(0), RunningTimeText(3599), RunningTimeText(3600 * 1234 + 61),
                     RunningTimeText(RunningTimeSeconds(0xFFFF, 0xFFFF))}),
        QStringList({"0:0:00", "0:59:59", "1234:1:01", "1193046:28:15"}));
    EXPECT_EQ(QStringList({PulsesText(0xFFFF, 0xFFFE), PulsesText(0x0001, 0x0000),
                           PulsesText(0x8000, 0x0000), PulsesText(0x7FFF, 0xFFFF)}),
              QStringList({"-2", "65536", "-2147483648", "2147483647"}));
}

TEST(LinkLayout, AddressesFollowTheBaseAndTheUnitCount) {
    ParamTable power;
    power.Add({"Base", 'U', 'N', 4, -32768, 32767, 10, 99}); // the default decides, not the value
    power.Add({"Units", 'U', 'N', 6, -32768, 32767, 8, 3});  // the value decides
    EXPECT_EQ(std::tuple(LinkLayoutOf(power).Base, LinkLayoutOf(power).DriveUnits),
              std::tuple(10, 3));

    power.FindByAddress(4)->DefaultValue = 250;
    power.FindByAddress(6)->Value = 15;
    EXPECT_EQ(LinkLayoutOf(power).DriveUnits, 5); // addresses stop at 255
    power.FindByAddress(6)->Value = -4;
    EXPECT_EQ(LinkLayoutOf(power).DriveUnits, 0);
    EXPECT_EQ(LinkLayoutOf(ParamTable{}).DriveUnits, 0);
}

TEST(UnitPanel, DriveValuesAlarmsAndIdentification) {
    LinkUnit unit = MakeUnit(false);
    const std::pair<std::uint16_t, int> registers[] = {
        {6, 42},    {121, 0x0001}, {122, 0x5FCD}, {194, -1500},  {195, 16384}, {193, 27},
        {184, 321}, {187, 36},     {196, 0xFFFF}, {197, 0xFFF6}, {198, 1}};
    for (const auto& [address, value] : registers)
        Set(unit, address, value);
    const UnitPanelView view = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(QStringList({view.CanId, view.LinkId, view.Life, view.AlarmText}),
              QStringList({"42", "11", "25:1:01", "No Alarm Found"}));
    EXPECT_EQ(std::tuple(view.PictureState, view.SelectTag), std::tuple(1, 11));
    EXPECT_EQ(view.Values, (QStringList{"-01500", "090.0", "00027", "00321", "00036", "-10"}));
    EXPECT_TRUE(view.IndicatorVisible);
    EXPECT_EQ(UnitValueCaptions(false).size(), view.Values.size());

    Set(unit, 195, 65535); // a full turn
    Set(unit, 198, 2);
    const UnitPanelView turned = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(turned.Values[1], "360.0");
    EXPECT_FALSE(turned.IndicatorVisible);
    EXPECT_EQ(ComputeUnitPanel(unit, QLocale(QLocale::German)).Values[1], "360,0");

    Set(unit, 116, 1);
    EXPECT_EQ(ComputeUnitPanel(unit, QLocale::c()).PictureState, 2);

    // Identification not read yet, or at/above the register's maximum: not shown.
    Set(unit, 6, 12);
    unit.MarkIdentUnread();
    EXPECT_TRUE(ComputeUnitPanel(unit, QLocale::c()).CanId.isEmpty());
    unit.IdentPending = false;
    Set(unit, 6, 255);
    EXPECT_TRUE(ComputeUnitPanel(unit, QLocale::c()).CanId.isEmpty());
}

TEST(UnitPanel, PowerValues) {
    LinkUnit unit = MakeUnit(true);
    // 80 is unsigned: 6553.5.
    for (const auto& [address, value] :
         {std::pair(7, 3), {78, -12}, {79, 241}, {80, 0xFFFF}, {81, 125}, {82, 4}})
        Set(unit, static_cast<std::uint16_t>(address), value);
    const UnitPanelView view = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(view.CanId, "3");
    EXPECT_EQ(view.Values, (QStringList{"-12", "24.1", "6553.5", "13", "0"}));
    EXPECT_TRUE(UnitValueCaptions(true).size() == 5 && UnitValueUnits(true).size() == 5);
    Set(unit, 84, 0x10);
    const UnitPanelView alarm = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(std::pair(alarm.AlarmText, alarm.PictureState), std::pair(QString("Alarm Found"), 2));
}

} // namespace
} // namespace kelm
