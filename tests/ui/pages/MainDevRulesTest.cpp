#include "ui/pages/MainDevRules.h"
#include "ui/pages/RegenResistor.h"
#include "ui/pages/SpeedScaling.h"
#include "ui/widgets/FieldBinding.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

TEST(MainDevRules, AddressTablesPerKind) {
    // Orca 230 shares the Std numbers; the 32-bit offset pairs stay below 256 for packing.
    EXPECT_EQ(MainDevAddressTable(DeviceKind::Orca230).Mode,
              MainDevAddressTable(DeviceKind::Std).Mode);
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230}) {
        const MainDevAddresses a = MainDevAddressTable(kind);
        const int tag = PackWideTag(a.OffsetLow, a.OffsetHigh);
        EXPECT_EQ(WideTagLowRegister(tag), a.OffsetLow);
        EXPECT_EQ(WideTagHighRegister(tag), a.OffsetHigh);
    }
    EXPECT_EQ(MainDevAddressTable(DeviceKind::Drive).OffsetLow, 223);
    EXPECT_EQ(FeedbackRegister(DeviceKind::Drive), 13);
    EXPECT_EQ(FeedbackRegister(DeviceKind::Orca230), 12);
}

TEST(MainDevRules, ModeListsAndUnlistedModes) {
    const QStringList std = ModeItems(DeviceKind::Std);
    ASSERT_EQ(std.size(), 11);
    EXPECT_EQ(std[8], QStringLiteral("8: Motion Profile"));
    EXPECT_EQ(std[10], QStringLiteral("10: Square Wave Period"));
    const QStringList drive = ModeItems(DeviceKind::Drive);
    ASSERT_EQ(drive.size(), 21);
    EXPECT_EQ(drive[8], QStringLiteral("8: CW/CCW"));
    EXPECT_EQ(drive[11], QStringLiteral("11: Analog to Position"));
    EXPECT_EQ(drive[12], QStringLiteral("12: Op Mode 12"));
    EXPECT_EQ(drive[20], QStringLiteral("20: Op Mode 20"));
    EXPECT_EQ(ModeItems(DeviceKind::Orca230), drive);
    EXPECT_EQ(ModeIndex(DeviceKind::Std, 15), 0);
    EXPECT_EQ(ModeIndex(DeviceKind::Std, 11), 0);
    EXPECT_EQ(ModeIndex(DeviceKind::Std, -1), 0);
    EXPECT_EQ(ModeIndex(DeviceKind::Drive, 15), 15);
    EXPECT_EQ(ModeIndex(DeviceKind::Drive, 21), 0);
}

TEST(MainDevRules, ModeConsequences) {
    for (int mode = 0; mode <= 20; ++mode) {
        const ModeLayout l = LayoutForMode(DeviceKind::Orca230, mode);
        EXPECT_EQ(l.DigitalSpeed, mode == 1 || mode == 10) << mode;
        EXPECT_EQ(l.SquareWave, mode == 10) << mode;
        EXPECT_FALSE(l.HwControl) << mode;
        EXPECT_EQ(l.SearchAngle, mode != 7 && mode != 9) << mode;
        EXPECT_EQ(l.SpeedButton, mode != 2 && mode != 3) << mode;
        EXPECT_EQ(l.PositionButton, (mode >= 4 && mode <= 9) || mode >= 11) << mode;
        const ModeLayout d = LayoutForMode(DeviceKind::Drive, mode);
        EXPECT_EQ(d.SearchAngle, mode == 4 || mode == 5 || mode == 6 || mode == 8) << mode;
    }
    EXPECT_TRUE(LayoutForMode(DeviceKind::Std, 4).HwControl);
    EXPECT_FALSE(LayoutForMode(DeviceKind::Std, 5).HwControl);
    EXPECT_EQ(PositionCaptions(10)[0], QStringLiteral("Software Limit HI"));
    EXPECT_EQ(PositionCaptions(10)[1], QStringLiteral("Software Limit LO"));
    EXPECT_EQ(PositionCaptions(4)[0], QStringLiteral("Position 1"));
}

TEST(MainDevRules, HardwareControlBits) {
    EXPECT_EQ(NormalizeHwControl(0), 4);
    EXPECT_EQ(NormalizeHwControl(6), 4);
    EXPECT_EQ(NormalizeHwControl(0x0F), 0x0D); // other bits kept
    EXPECT_EQ(NormalizeHwControl(2), 2);
    EXPECT_EQ(NormalizeHwControl(4 | 8), 12);
    EXPECT_TRUE(HwControlChecked(2));
    EXPECT_FALSE(HwControlChecked(4));
    EXPECT_EQ(WithHwControl(0x0C, true), 0x0A);
    EXPECT_EQ(WithHwControl(0x0A, false), 0x0C);
}

TEST(MainDevRules, MainVoltageByFamilyAndSeries) {
    const VoltageChoices f1 = MainVoltageChoices(1, 0);
    EXPECT_EQ(f1.Items, (QStringList{"Single Phase", "230 V", "400 V", "480 V"}));
    EXPECT_EQ(f1.Codes, (std::vector<int>{1, 230, 400, 480}));
    EXPECT_EQ(f1.Fallback, 230);
    EXPECT_EQ(f1.IndexOf(300), -1);
    EXPECT_EQ(f1.IndexOf(480), 3);
    const VoltageChoices f4s0 = MainVoltageChoices(4, 0);
    EXPECT_EQ(f4s0.Items, (QStringList{"400 V", "480 V"}));
    EXPECT_EQ(f4s0.Fallback, 400);
    const VoltageChoices f4s2 = MainVoltageChoices(4, 2);
    EXPECT_EQ(f4s2.Items, (QStringList{"110 V", "230 V"}));
    EXPECT_EQ(f4s2.Fallback, 230);
    EXPECT_EQ(MainVoltageChoices(3, 0).Codes, (std::vector<int>{110, 230}));
}

TEST(MainDevRules, FeedbackAndEncoderOut) {
    EXPECT_EQ(FeedbackText(1), QStringLiteral("Resolver"));
    EXPECT_EQ(FeedbackText(2), QStringLiteral("Absolute M/T"));
    EXPECT_EQ(FeedbackText(3), QStringLiteral("Serial Encoder"));
    EXPECT_EQ(FeedbackText(0), QStringLiteral("Encoder"));
    EXPECT_EQ(FeedbackText(9), QStringLiteral("Encoder"));
    EXPECT_TRUE(EncoderOutEnabled(DeviceKind::Orca230, 0, 1));
    EXPECT_TRUE(EncoderOutEnabled(DeviceKind::Std, 3, 3));
    EXPECT_FALSE(EncoderOutEnabled(DeviceKind::Std, 1, 2));
    EXPECT_TRUE(EncoderOutEnabled(DeviceKind::Std, 1, 0));
    EXPECT_FALSE(EncoderOutEnabled(DeviceKind::Std, 3, 0));
    EXPECT_FALSE(EncoderOutEnabled(DeviceKind::Orca230, 0, 0));
    EXPECT_TRUE(EncoderOutEnabled(DeviceKind::Drive, 0, 0));
}

TEST(MainDevRules, PowerTextsAndCaptions) {
    EXPECT_EQ(PowerVoltageText(1), QStringLiteral("230Vac 1 Phase"));
    EXPECT_EQ(PowerVoltageText(230), QStringLiteral("230Vac 3 Phase"));
    EXPECT_EQ(PowerVoltageText(400), QStringLiteral("400Vac 3 Phase"));
    EXPECT_EQ(PowerVoltageText(110), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(DriveModelText(300), QStringLiteral("TND 300"));
    EXPECT_EQ(DriveModelText(600), QStringLiteral("TND 600"));
    EXPECT_EQ(MainDevCaption(DeviceKind::Std, false), QStringLiteral("Drive"));
    EXPECT_EQ(MainDevCaption(DeviceKind::Drive, false), QStringLiteral("Tarn Drive"));
    EXPECT_EQ(MainDevCaption(DeviceKind::Orca230, false), QStringLiteral("Tarn"));
    EXPECT_EQ(MainDevCaption(DeviceKind::Power, false), QStringLiteral("Tarn Power"));
    EXPECT_EQ(MainDevCaption(DeviceKind::Power, true), QStringLiteral("0"));
}

TEST(RegenResistor, OneEncodingForBothWindows) {
    EXPECT_EQ(RegenItems(230), (QStringList{"160 W", "500 W"}));
    EXPECT_EQ(RegenItems(1), RegenItems(230));
    EXPECT_EQ(RegenItems(400), (QStringList{"100 W", "160 W", "500 W", "1000 W"}));
    EXPECT_TRUE(RegenItems(110).isEmpty());
    EXPECT_EQ(RegenCode(230, 1), 5); // "500 W" on a 230 V unit
    EXPECT_EQ(RegenCode(400, 2), 2); // "500 W" on a 400 V unit
    EXPECT_EQ(RegenCode(1, 0), 4);
    EXPECT_EQ(RegenCode(230, 2), -1);
    EXPECT_EQ(RegenCode(110, 0), -1);
    EXPECT_EQ(RegenIndex(230, 5), 1);
    EXPECT_EQ(RegenIndex(230, 3), -1);
    EXPECT_EQ(RegenIndex(400, 3), 3);
    EXPECT_EQ(RegenIndex(400, 6), -1);
    for (int voltage : {1, 230, 400})
        for (int i = 0; i < RegenItems(voltage).size(); ++i)
            EXPECT_EQ(RegenIndex(voltage, RegenCode(voltage, i)), i);
}

TEST(SpeedScaling, BothWays) {
    EXPECT_EQ(RpmToRaw(1000, 3000), 10922);   // 10922.33 truncated
    EXPECT_EQ(RpmToRaw(-1000, 3000), -10922); // toward zero
    EXPECT_EQ(RpmToRaw(3000, 3000), 32767);
    EXPECT_EQ(RawToRpm(10922, 3000), 1000); // 999.97 away from zero
    EXPECT_EQ(RawToRpm(-10922, 3000), -1000);
    EXPECT_EQ(RawToRpm(32767, 3000), 3000);
    EXPECT_EQ(RawToRpm(1, 3000), 1);
    EXPECT_EQ(RawToRpm(0, 3000), 0);
    // A speed shown from a raw value converts back to the same raw value.
    for (int max : {100, 3000, 6000, 10000})
        for (int rpm = -max; rpm <= max; rpm += max / 50)
            EXPECT_EQ(RpmToRaw(RawToRpm(RpmToRaw(rpm, max), max), max), RpmToRaw(rpm, max));
    // No maximum: nothing to scale by.
    EXPECT_EQ(RpmToRaw(100, 0), 0);
    EXPECT_EQ(RawToRpm(100, 0), 0);
    EXPECT_EQ(RpmToRaw(50000, 3000), 32767);
}

} // namespace
} // namespace kelm
