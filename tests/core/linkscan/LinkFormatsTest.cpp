#include "core/drive/linkscan/LinkFormats.h"
#include "core/drive/linkscan/LinkScan.h"
#include "core/drive/linkscan/UnitPanelView.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

ParamEntry Entry(std::uint16_t address, std::int16_t max = 32767) {
    ParamEntry e;
    e.Name = QStringLiteral("R%1").arg(address);
    e.Address = address;
    e.MinValue = -32768;
    e.MaxValue = max;
    return e;
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

TEST(LinkFormats, RunningTime) {
    EXPECT_EQ(RunningTimeText(90061), "25:1:01");
    EXPECT_EQ(RunningTimeText(0), "0:0:00");
    EXPECT_EQ(RunningTimeText(3599), "0:59:59");
    EXPECT_EQ(RunningTimeText(3600 * 1234 + 61), "1234:1:01");
    EXPECT_EQ(RunningTimeSeconds(0x0001, 0x5FCD), 90061u);
    EXPECT_EQ(RunningTimeText(RunningTimeSeconds(0xFFFF, 0xFFFF)), "1193046:28:15");
}

TEST(LinkFormats, PulsesAreSigned32Bit) {
    EXPECT_EQ(PulsesText(0, 5), "5");
    EXPECT_EQ(PulsesText(0xFFFF, 0xFFFE), "-2");
    EXPECT_EQ(PulsesText(0x0001, 0x0000), "65536");
    EXPECT_EQ(PulsesText(0x8000, 0x0000), "-2147483648");
    EXPECT_EQ(PulsesText(0x7FFF, 0xFFFF), "2147483647");
}

TEST(LinkLayout, AddressesFollowTheBaseAndTheUnitCount) {
    ParamTable power;
    ParamEntry base = Entry(4);
    base.DefaultValue = 10;
    base.Value = 99; // the default decides, not the value
    ParamEntry units = Entry(6);
    units.DefaultValue = 8;
    units.Value = 3; // the value decides
    power.Add(base);
    power.Add(units);
    const LinkLayout layout = LinkLayoutOf(power);
    EXPECT_EQ(layout.Base, 10);
    EXPECT_EQ(layout.DriveUnits, 3);

    power.FindByAddress(4)->DefaultValue = 250;
    power.FindByAddress(6)->Value = 15;
    EXPECT_EQ(LinkLayoutOf(power).DriveUnits, 5); // addresses stop at 255
    power.FindByAddress(6)->Value = -4;
    EXPECT_EQ(LinkLayoutOf(power).DriveUnits, 0);
    EXPECT_EQ(LinkLayoutOf(ParamTable{}).DriveUnits, 0);
}

TEST(UnitPanel, DriveValues) {
    LinkUnit unit = MakeUnit(false);
    Set(unit, 6, 42);
    Set(unit, 121, 0x0001);
    Set(unit, 122, 0x5FCD);
    Set(unit, 194, -1500);
    Set(unit, 195, 16384);
    Set(unit, 193, 27);
    Set(unit, 184, 321);
    Set(unit, 187, 36);
    Set(unit, 196, 0xFFFF);
    Set(unit, 197, 0xFFF6);
    Set(unit, 198, 1);
    const UnitPanelView view = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(view.CanId, "42");
    EXPECT_EQ(view.LinkId, "11");
    EXPECT_EQ(view.Life, "25:1:01");
    EXPECT_EQ(view.AlarmText, "No Alarm Found");
    EXPECT_EQ(view.PictureState, 1);
    EXPECT_EQ(view.SelectTag, 11);
    EXPECT_EQ(view.Values, (QStringList{"-01500", "090.0", "00027", "00321", "00036", "-10"}));
    EXPECT_TRUE(view.IndicatorVisible);
    EXPECT_EQ(UnitValueCaptions(false).size(), view.Values.size());

    Set(unit, 195, 65535); // a full turn
    Set(unit, 198, 2);
    const UnitPanelView turned = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(turned.Values[1], "360.0");
    EXPECT_FALSE(turned.IndicatorVisible);
    EXPECT_EQ(ComputeUnitPanel(unit, QLocale(QLocale::German)).Values[1], "360,0");
}

TEST(UnitPanel, PowerValues) {
    LinkUnit unit = MakeUnit(true);
    Set(unit, 7, 3);
    Set(unit, 78, -12);
    Set(unit, 79, 241);
    Set(unit, 80, 0xFFFF); // unsigned: 6553.5
    Set(unit, 81, 125);
    Set(unit, 82, 4);
    const UnitPanelView view = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(view.CanId, "3");
    EXPECT_EQ(view.Values, (QStringList{"-12", "24.1", "6553.5", "13", "0"}));
    EXPECT_EQ(UnitValueCaptions(true).size(), view.Values.size());
    EXPECT_EQ(UnitValueUnits(true).size(), view.Values.size());
}

TEST(UnitPanel, AlarmsAndIdentification) {
    LinkUnit power = MakeUnit(true);
    Set(power, 84, 0x10);
    EXPECT_EQ(ComputeUnitPanel(power, QLocale::c()).AlarmText, "Alarm Found");
    EXPECT_EQ(ComputeUnitPanel(power, QLocale::c()).PictureState, 2);
    LinkUnit drive = MakeUnit(false);
    Set(drive, 116, 1);
    EXPECT_EQ(ComputeUnitPanel(drive, QLocale::c()).PictureState, 2);
    Set(drive, 116, 0);
    Set(drive, 118, 1); // not an alarm word
    EXPECT_EQ(ComputeUnitPanel(drive, QLocale::c()).PictureState, 1);

    // Identification not read yet, or at/above the register's maximum: not shown.
    Set(drive, 6, 12);
    drive.MarkIdentUnread();
    EXPECT_EQ(drive.Reg(6), 256);
    EXPECT_TRUE(ComputeUnitPanel(drive, QLocale::c()).CanId.isEmpty());
    drive.IdentPending = false;
    Set(drive, 6, 255);
    EXPECT_TRUE(ComputeUnitPanel(drive, QLocale::c()).CanId.isEmpty());
    Set(drive, 6, 254);
    EXPECT_EQ(ComputeUnitPanel(drive, QLocale::c()).CanId, "254");
}

TEST(UnitPanel, SilentUnitShowsNothingAndCannotBeChosen) {
    LinkUnit unit = MakeUnit(false);
    Set(unit, 194, 1500);
    Set(unit, 116, 1);
    unit.Answering = false;
    const UnitPanelView view = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(view.PictureState, 0);
    EXPECT_EQ(view.SelectTag, 0);
    EXPECT_TRUE(view.CanId.isEmpty());
    EXPECT_TRUE(view.Life.isEmpty());
    EXPECT_TRUE(view.AlarmText.isEmpty());
    ASSERT_EQ(view.Values.size(), 6);
    for (const QString& v : view.Values)
        EXPECT_TRUE(v.isEmpty());
}

} // namespace
} // namespace kelm
