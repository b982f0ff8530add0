#include "core/drive/status/StatusFormats.h"
#include "core/drive/status/StatusView.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

const QLocale C(QLocale::C);
const QLocale German(QLocale::German, QLocale::Germany);

// The ordinary values are the status view's; here, the edges of each format.
TEST(StatusFormats, EdgesOfTheNumberAndAngleTexts) {
    EXPECT_EQ(
        (QStringList{FormatFiveDigits(42), FormatFiveDigits(-32768), FormatFiveDigits(123456)}),
        (QStringList{"00042", "-32768", "123456"}));
    // A full turn; 0.9998 rounds up.
    EXPECT_EQ(
        (QStringList{FormatAngle(AngleDegrees(0), C), FormatAngle(AngleDegrees(65535), C),
                     FormatAngle(AngleDegrees(182), C), FormatAngle(AngleDegrees(32768), German)}),
        (QStringList{"000.0", "360.0", "001.0", "180,0"}));
    // No sign on a zero result; whole numbers round half away from zero.
    EXPECT_EQ((QStringList{FormatOneDecimal(24.5, C), FormatOneDecimal(0.0, German),
                           FormatOneDecimal(-0.04, C)}),
              (QStringList{"24.5", "0,0", "0.0"}));
    EXPECT_EQ(
        (QStringList{FormatWhole(2.5), FormatWhole(-2.5), FormatWhole(0.4), FormatWhole(-0.4)}),
        (QStringList{"3", "-3", "0", "0"}));
}

TEST(StatusFormats, PositionIsSignedThirtyTwoBitsWithGrouping) {
    EXPECT_EQ((std::vector{PositionFromWords(0xFFFF, 0xFFFF), PositionFromWords(1, 0),
                           PositionFromWords(0x8000, 0)}),
              (std::vector{-1, 65536, INT32_MIN}));
    EXPECT_EQ((QStringList{FormatGrouped(-1, C), FormatGrouped(0, C), FormatGrouped(65536, C),
                           FormatGrouped(65536, German), FormatGrouped(999, C),
                           FormatGrouped(-1234567, C), FormatGrouped(INT32_MIN, C)}),
              (QStringList{"-1", "0", "65,536", "65.536", "999", "-1,234,567", "-2,147,483,648"}));
}

TEST(StatusFormats, LcdLineTakesLowByteFirstAndStopsAtZero) {
    EXPECT_EQ((QStringList{LcdLineText({0x4241, 0x4443, 0x4645, 0x4847}),
                           LcdLineText({0x4F4B, 0x0021, 0x4141, 0x4141}),
                           LcdLineText({0, 0x4141, 0, 0})}),
              (QStringList{"ABCDEFGH", "KO!", ""}));
    EXPECT_EQ(LcdLineText({0x20E9, 0x2020, 0x2020, 0x2020}), QString::fromLatin1("\xE9       "));
}

ParamTable TableWith(std::initializer_list<std::pair<int, int>> values) {
    ParamTable table = ParamTable::MakeSynthetic(QStringLiteral("R"), 0, 260);
    for (auto [address, value] : values)
        table.FindByAddress(static_cast<std::uint16_t>(address))->DriveValue =
            static_cast<std::int16_t>(value);
    return table;
}

TEST(StatusView, StdRowsComeFromDriveValues) {
    const std::initializer_list<std::pair<int, int>> values = {
        {59, -5}, {60, 32768}, {58, 12}, {53, 320}, {55, 41}, {134, 1},
        {135, 0}, {66, 7},     {67, 2},  {61, -3},  {62, 9},  {65, 3}};
    ParamTable table = TableWith(values);
    table.FindByAddress(59)->Value = 99; // the display ignores the working value
    const StatusView v = BuildStatusView(table, DeviceKind::Std, C);
    EXPECT_EQ((QStringList{v.Speed, v.Angle, v.Current, v.BusVoltage, v.Temperature, v.Position,
                           v.OutputValue[0], v.OutputValue[1], v.Lcd1}),
              QStringList(
                  {"-00005", "180.0", "00012", "00320", "00041", "65,536", "-00003", "00009", ""}));
    EXPECT_EQ(v.SelectorValue, (std::array<int, 2>{7, 2}));
    EXPECT_TRUE(v.DriveEnabled && !v.Alarm);
}

TEST(StatusView, AlarmFollowsTheKindsAlarmWords) {
    for (const auto& [address, value, kind, alarm] : {std::tuple{52, 1, DeviceKind::Std, true},
                                                      {83, 1, DeviceKind::Std, false},
                                                      {83, 1, DeviceKind::Power, true},
                                                      {117, -1, DeviceKind::Drive, true},
                                                      {51, 1, DeviceKind::Drive, false}})
        EXPECT_EQ(BuildStatusView(TableWith({{address, value}}), kind, C).Alarm, alarm) << address;
}

TEST(StatusView, DriveAndOrcaAndPowerRows) {
    const StatusView d = BuildStatusView(
        TableWith({{194, 1500}, {196, -1}, {197, -1}, {198, 0}, {212, 4}, {210, 5}}),
        DeviceKind::Drive, C);
    EXPECT_EQ((QStringList{d.Speed, d.Position, d.OutputValue[1]}),
              (QStringList{"01500", "-1", "00004"}));
    EXPECT_TRUE(!d.DriveEnabled && d.SelectorValue[1] == 5);

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
