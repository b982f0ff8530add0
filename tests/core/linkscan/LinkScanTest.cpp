#include "core/drive/linkscan/LinkScan.h"
#include "core/diag/SimDriveFixture.h"
#include "core/drive/linkscan/LinkFormats.h"
#include "core/drive/linkscan/UnitPanelView.h"

#include <gtest/gtest.h>

namespace kelm::test {
namespace {

class LinkScanTest : public SimDriveFixture {
protected:
    void SetUp() override {
        Build(sim::SimKind::Link);
        driver->SelectDeviceKind(DeviceKind::Power, false);
        master->SelectUnit(1);
        ASSERT_TRUE(master->OpenPort(10, 115200, true, 0));
        driver->SetOnline(master->IsLinkReady());
        ASSERT_TRUE(driver->Online());
        // As the link selection does: the unit count and the variant come from the unit.
        ASSERT_TRUE(driver->ReadParam(6, true) && driver->ReadParam(11, true));
        driver->StoreActiveTable();
        Control(QStringLiteral("live * off"));
        // Each unit tells its own identification.
        for (std::uint8_t a = 2; a <= 4; ++a)
            SetSimRegister(a, 6, static_cast<std::uint16_t>(20 + a));
        SetSimRegister(1, 7, 9);
        ClearRecords();
    }
    void ReleaseUsers() override { scan.reset(); }
    void BuildScan() {
        scan = std::make_unique<LinkScan>(*driver);
        scan->Build([this](int index) { built.push_back(index); });
    }
    // Reads of one unit in the records, as first registers.
    std::vector<std::uint16_t> ReadsAt(std::uint8_t address) {
        std::vector<std::uint16_t> out;
        for (const sim::ExchangeRecord& r : Records())
            if (r.address == address && r.function == 3)
                out.push_back(r.firstRegister);
        return out;
    }
    void Scan(int steps = 4) {
        for (int i = 0; i < steps; ++i)
            scan->Step();
    }
    UnitPanelView Panel(int index) {
        return ComputeUnitPanel(scan->Units()[static_cast<std::size_t>(index)], QLocale::c());
    }

    std::unique_ptr<LinkScan> scan;
    std::vector<int> built;
};

TEST_F(LinkScanTest, BuildsThePowerUnitAndProbesEachDriveUnit) {
    Control(QStringLiteral("silent 3 on"));
    BuildScan();
    EXPECT_EQ(built, (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(scan->Units().size(), 4u);
    EXPECT_TRUE(scan->Units()[0].Variant); // register 11 of the configuration is 400
    // Per unit: power, address, answering, select tag; every identification still to be read.
    for (int i = 0; i < 4; ++i) {
        const LinkUnit& u = scan->Units()[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tuple(u.IsPower, u.Address, u.Answering, u.IdentPending, u.SelectTag),
                  std::tuple(i == 0, 1 + i, i != 2, true, i == 2 ? 0 : 1 + i))
            << i;
    }
    // Only register 103 of each Drive unit was asked for.
    EXPECT_EQ((std::vector{ReadsAt(1), ReadsAt(2), ReadsAt(4)}),
              (std::vector<std::vector<std::uint16_t>>{{}, {103}, {103}}));
    EXPECT_TRUE(messages.Texts().isEmpty()); // report off
}

// How a panel formats its values is UnitPanel's; here the values reach it.
TEST_F(LinkScanTest, FirstScanReadsIdentificationThenOnlyTheLiveValues) {
    SetSimRegister(3, 196, 0xFFFF);
    SetSimRegister(3, 197, 0xFC18);
    SetSimRegister(1, 79, 245);
    SetSimRegister(1, 84, 2);
    BuildScan();
    std::vector<int> updated;
    scan->SetUnitUpdated([&](int index) { updated.push_back(index); });
    ClearRecords();
    Scan();
    EXPECT_EQ(ReadsAt(1), (std::vector<std::uint16_t>{7, 26, 78}));
    EXPECT_EQ(ReadsAt(2), (std::vector<std::uint16_t>{6, 121, 193, 184, 187, 116}));
    EXPECT_EQ(QStringList({Panel(0).CanId + Panel(1).CanId + Panel(3).CanId, Panel(2).Values[5],
                           Panel(0).Values[1]}),
              QStringList({"92224", "-1000", "24.5"}));
    EXPECT_EQ(Panel(0).PictureState, 2);
    EXPECT_EQ(scan->RunningTime(), RunningTimeSeconds(SimRegister(1, 26), SimRegister(1, 27)));
    ClearRecords();
    Scan();
    EXPECT_EQ(updated, (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3}));
    EXPECT_EQ(ReadsAt(1), (std::vector<std::uint16_t>{26, 78}));
    EXPECT_EQ(ReadsAt(3), (std::vector<std::uint16_t>{121, 193, 184, 187, 116}));
}

TEST_F(LinkScanTest, SilentDriveUnitIsProbedAndReidentifiedWhenItAnswersAgain) {
    BuildScan();
    Scan();
    Control(QStringLiteral("silent 3 on"));
    Scan();
    EXPECT_FALSE(scan->Units()[2].Answering);
    ClearRecords();
    Scan();
    // Only the probe, with the master's three tries; the others go on.
    EXPECT_EQ(ReadsAt(3), (std::vector<std::uint16_t>{103, 103, 103}));
    EXPECT_TRUE(scan->Units()[1].Answering);

    SetSimRegister(3, 6, 33);
    Control(QStringLiteral("silent 3 off"));
    ClearRecords();
    Scan();
    EXPECT_EQ(ReadsAt(3), std::vector<std::uint16_t>{103});
    EXPECT_TRUE(scan->Units()[2].Answering && scan->Units()[2].SelectTag == 3);
    EXPECT_TRUE(Panel(2).CanId.isEmpty()); // read on the next visit
    Scan();
    EXPECT_EQ(Panel(2).CanId, "33");
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(LinkScanTest, SilentPowerUnitIsProbedWithRegister11) {
    BuildScan();
    Control(QStringLiteral("silent 1 on"));
    scan->Step();
    EXPECT_FALSE(scan->Units()[0].Answering);
    const int opens = channelOpens->load();
    Scan(3);
    EXPECT_EQ(channelOpens->load(), opens); // Drive units: no reopen
    scan->Step(); // the silent Power unit again: port reopened, then probed
    EXPECT_EQ(channelOpens->load(), opens + 1);
    EXPECT_FALSE(scan->Units()[0].Answering);
    Scan(3);
    SetSimRegister(1, 11, 230);
    Control(QStringLiteral("silent 1 off"));
    ClearRecords();
    scan->Step();
    EXPECT_EQ(ReadsAt(1), std::vector<std::uint16_t>{11});
    EXPECT_TRUE(master->IsPortOpen()); // reopened, still usable
    const LinkUnit& power = scan->Units()[0];
    EXPECT_TRUE(power.Answering && !power.Variant && power.IdentPending);
}

// An answering unit, its identification read, registers 0 to 209 in its table.
LinkUnit MakeUnit(bool power) {
    const std::uint8_t address = power ? 10 : 11;
    LinkUnit unit{address, power, true, false, address, false, {}};
    for (std::uint16_t a = 0; a < 210; ++a)
        unit.Table.Add({QStringLiteral("R%1").arg(a), 'U', 'N', a, -32768,
                        std::int16_t(a == 6 || a == 7 ? 255 : 32767)});
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
    EXPECT_EQ(std::tuple(QStringList({view.CanId, view.LinkId, view.Life, view.AlarmText}),
                         view.PictureState, view.SelectTag, view.IndicatorVisible),
              std::tuple(QStringList({"42", "11", "25:1:01", "No Alarm Found"}), 1, 11, true));
    EXPECT_EQ(view.Values, (QStringList{"-01500", "090.0", "00027", "00321", "00036", "-10"}));
    EXPECT_EQ(UnitValueCaptions(false).size(), view.Values.size());

    Set(unit, 195, 65535); // a full turn
    Set(unit, 198, 2);
    const UnitPanelView turned = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(std::pair(turned.Values[1], turned.IndicatorVisible),
              std::pair(QString("360.0"), false));
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
    EXPECT_EQ(QStringList{view.CanId} + view.Values,
              (QStringList{"3", "-12", "24.1", "6553.5", "13", "0"}));
    EXPECT_TRUE(UnitValueCaptions(true).size() == 5 && UnitValueUnits(true).size() == 5);
    Set(unit, 84, 0x10);
    const UnitPanelView alarm = ComputeUnitPanel(unit, QLocale::c());
    EXPECT_EQ(std::pair(alarm.AlarmText, alarm.PictureState), std::pair(QString("Alarm Found"), 2));
}

} // namespace
} // namespace kelm::test
