#include "core/drive/status/StatusFormats.h"
#include "core/drive/status/StatusView.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

const QLocale C(QLocale::C);
const QLocale German(QLocale::German, QLocale::Germany);

// The ordinary values are the status view's; here, the edges of each format.
TEST(StatusFormats, EdgesOfTheNumberAndAngleTexts) {
    EXPECT_EQ(FormatFiveDigits(42), "00042");
    EXPECT_EQ(FormatFiveDigits(-32768), "-32768");
    EXPECT_EQ(FormatFiveDigits(123456), "123456");
    EXPECT_EQ(FormatAngle(AngleDegrees(0), C), "000.0");
    EXPECT_EQ(FormatAngle(AngleDegrees(65535), C), "360.0"); // a full turn
    EXPECT_EQ(FormatAngle(AngleDegrees(182), C), "001.0");   // 0.9998 rounds up
    EXPECT_EQ(FormatAngle(AngleDegrees(32768), German), "180,0");
    EXPECT_EQ(FormatOneDecimal(24.5, C), "24.5");
    EXPECT_EQ(FormatOneDecimal(0.0, German), "0,0");
    EXPECT_EQ(FormatOneDecimal(-0.04, C), "0.0"); // no sign on a zero result
    // Whole numbers round half away from zero.
    EXPECT_EQ(FormatWhole(2.5), "3");
    EXPECT_EQ(FormatWhole(-2.5), "-3");
    EXPECT_EQ(FormatWhole(0.4), "0");
    EXPECT_EQ(FormatWhole(-0.4), "0");
}

TEST(StatusFormats, PositionIsSignedThirtyTwoBitsWithGrouping) {
    EXPECT_EQ(PositionFromWords(0xFFFF, 0xFFFF), -1);
    EXPECT_EQ(PositionFromWords(0x0001, 0x0000), 65536);
    EXPECT_EQ(PositionFromWords(0x8000, 0x0000), INT32_MIN);
    EXPECT_EQ(FormatGrouped(-1, C), "-1");
    EXPECT_EQ(FormatGrouped(0, C), "0");
    EXPECT_EQ(FormatGrouped(65536, C), "65,536");
    EXPECT_EQ(FormatGrouped(65536, German), "65.536");
    EXPECT_EQ(FormatGrouped(999, C), "999");
    EXPECT_EQ(FormatGrouped(-1234567, C), "-1,234,567");
    EXPECT_EQ(FormatGrouped(INT32_MIN, C), "-2,147,483,648");
}

TEST(StatusFormats, LcdLineTakesLowByteFirstAndStopsAtZero) {
    EXPECT_EQ(LcdLineText({0x4241, 0x4443, 0x4645, 0x4847}), "ABCDEFGH");
    EXPECT_EQ(LcdLineText({0x4F4B, 0x0021, 0x4141, 0x4141}), "KO!");
    EXPECT_EQ(LcdLineText({0, 0x4141, 0, 0}), "");
    EXPECT_EQ(LcdLineText({0x20E9, 0x2020, 0x2020, 0x2020}), QString::fromLatin1("\xE9       "));
}

ParamTable TableWith(std::initializer_list<std::pair<int, int>> values) {
    ParamTable table = ParamTable::MakeSynthetic(QStringLiteral("R"), 0, 260);
    for (auto [address, value] : values)
        table.FindByAddress(static_cast<std::uint16_t>(address))->DriveValue =
            static_cast<std::int16_t>(value);
    return table;
}

// The texts of a view's rows, in panel order.
QStringList Rows(const StatusView& v) {
    return {v.Speed,    v.Angle,          v.Current,        v.BusVoltage, v.Temperature,
            v.Position, v.OutputValue[0], v.OutputValue[1], v.Lcd1};
}

TEST(StatusView, StdRowsComeFromDriveValues) {
    const std::initializer_list<std::pair<int, int>> values = {
        {59, -5}, {60, 32768}, {58, 12}, {53, 320}, {55, 41}, {134, 1},
        {135, 0}, {66, 7},     {67, 2},  {61, -3},  {62, 9},  {65, 3}};
    ParamTable table = TableWith(values);
    table.FindByAddress(59)->Value = 99; // the display ignores the working value
    const StatusView v = BuildStatusView(table, DeviceKind::Std, C);
    EXPECT_EQ(Rows(v), QStringList({"-00005", "180.0", "00012", "00320", "00041", "65,536",
                                    "-00003", "00009", ""}));
    EXPECT_EQ(v.SelectorValue, (std::array<int, 2>{7, 2}));
    EXPECT_TRUE(v.DriveEnabled);
    EXPECT_FALSE(v.Alarm);
}

// The alarm indication: either active-alarm word of the kind, and no other register.
TEST(StatusView, AlarmFollowsTheKindsAlarmWords) {
    EXPECT_TRUE(BuildStatusView(TableWith({{52, 1}}), DeviceKind::Std, C).Alarm);
    EXPECT_FALSE(BuildStatusView(TableWith({{83, 1}}), DeviceKind::Std, C).Alarm);
    EXPECT_TRUE(BuildStatusView(TableWith({{83, 1}}), DeviceKind::Power, C).Alarm);
    EXPECT_TRUE(BuildStatusView(TableWith({{117, -1}}), DeviceKind::Drive, C).Alarm);
    EXPECT_FALSE(BuildStatusView(TableWith({{51, 1}}), DeviceKind::Drive, C).Alarm);
}

TEST(StatusView, DriveAndOrcaAndPowerRows) {
    const StatusView d = BuildStatusView(
        TableWith({{194, 1500}, {196, -1}, {197, -1}, {198, 0}, {212, 4}, {210, 5}}),
        DeviceKind::Drive, C);
    EXPECT_EQ(d.Speed, "01500");
    EXPECT_EQ(d.Position, "-1");
    EXPECT_FALSE(d.DriveEnabled);
    EXPECT_EQ(d.OutputValue[1], "00004");
    EXPECT_EQ(d.SelectorValue[1], 5);

    const StatusView o = BuildStatusView(
        TableWith({{144, 123}, {145, -7}, {180, 0x524F}, {181, 0x4143}, {182, 0}, {184, 0x3231}}),
        DeviceKind::Orca230, C);
    EXPECT_EQ(QStringList({o.I2tRegen, o.IqRef, o.Lcd1, o.Lcd2}),
              QStringList({"12.3", "-0.7", "ORCA", "12"}));

    const StatusView p = BuildStatusView(
        TableWith({{78, 560}, {79, 65535}, {80, -15}, {81, 994}, {82, 5}, {98, 30}}),
        DeviceKind::Power, German);
    // The backup voltage is unsigned; 0.5 rounds away from zero.
    EXPECT_EQ(QStringList({p.PowerBusVoltage, p.BackupVoltage, p.PowerCurrent, p.I2tCurrent,
                           p.PowerI2tRegen, p.PowerTemperature}),
              QStringList({"560", "6553,5", "-1,5", "99", "1", "00030"}));

    // Missing registers read as zero.
    const StatusView none = BuildStatusView(ParamTable(), DeviceKind::Std, C);
    EXPECT_EQ(QStringList({none.Speed, none.Position}), QStringList({"00000", "0"}));
    EXPECT_FALSE(none.Alarm);
}

} // namespace
} // namespace kelm
