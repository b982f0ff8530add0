#include "ui/pages/MainDevRules.h"
#include "ui/pages/RegenResistor.h"
#include "ui/pages/SpeedScaling.h"
#include "ui/widgets/FieldBinding.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelm {
namespace {

// Item counts, captions and the page's use of the lists are checked on the page itself.
TEST(MainDevRules, ModeListsConsequencesAndWideOffsets) {
    EXPECT_EQ(ModeItems(DeviceKind::Drive)[12], QStringLiteral("12: Op Mode 12"));
    EXPECT_EQ(ModeItems(DeviceKind::Orca230), ModeItems(DeviceKind::Drive));
    EXPECT_EQ(MainDevAddressTable(DeviceKind::Orca230).Mode,
              MainDevAddressTable(DeviceKind::Std).Mode);
    // The 32-bit offset pairs must stay below 256 to be packed into one tag.
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230}) {
        const MainDevAddresses a = MainDevAddressTable(kind);
        const int tag = PackWideTag(a.OffsetLow, a.OffsetHigh);
        EXPECT_EQ(WideTagLowRegister(tag), a.OffsetLow);
        EXPECT_EQ(WideTagHighRegister(tag), a.OffsetHigh);
    }
    for (const auto& [kind, value, index] : {std::tuple{DeviceKind::Std, 10, 10},
                                             {DeviceKind::Std, 11, 0},
                                             {DeviceKind::Std, -1, 0},
                                             {DeviceKind::Drive, 20, 20},
                                             {DeviceKind::Drive, 21, 0}})
        EXPECT_EQ(ModeIndex(kind, value), index) << value;
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

TEST(MainDevRules, HardwareControlBitsAndMainVoltage) {
    // Bits 1-2 hold 01 or 10; anything else becomes 10, other bits kept.
    for (const auto& [stored, normal] : {std::pair{0, 4}, {6, 4}, {0x0F, 0x0D}, {2, 2}, {12, 12}})
        EXPECT_EQ(NormalizeHwControl(stored), normal) << stored;
    EXPECT_TRUE(HwControlChecked(2));
    EXPECT_FALSE(HwControlChecked(4));
    EXPECT_EQ(WithHwControl(0x0C, true), 0x0A);
    EXPECT_EQ(WithHwControl(0x0A, false), 0x0C);
    // Family 1 and family 4 series 0 are checked on the page.
    const VoltageChoices f4s2 = MainVoltageChoices(4, 2);
    EXPECT_EQ(f4s2.Items, (QStringList{"110 V", "230 V"}));
    EXPECT_EQ(f4s2.Fallback, 230);
    EXPECT_EQ(MainVoltageChoices(3, 0).Codes, (std::vector<int>{110, 230}));
    EXPECT_EQ(MainVoltageChoices(1, 0).IndexOf(300), -1);
    EXPECT_EQ(MainVoltageChoices(1, 0).IndexOf(480), 3);
}

TEST(MainDevRules, FeedbackEncoderOutAndPowerTexts) {
    EXPECT_EQ(FeedbackText(1), QStringLiteral("Resolver"));
    EXPECT_EQ(FeedbackText(9), QStringLiteral("Encoder"));
    for (const auto& [kind, family, feedback, enabled] :
         {std::tuple{DeviceKind::Orca230, 0, 1, true},
          {DeviceKind::Orca230, 0, 0, false},
          {DeviceKind::Std, 3, 3, true},
          {DeviceKind::Std, 3, 0, false},
          {DeviceKind::Std, 1, 2, false},
          {DeviceKind::Std, 1, 0, true},
          {DeviceKind::Drive, 0, 0, true}})
        EXPECT_EQ(EncoderOutEnabled(kind, family, feedback), enabled) << family << feedback;
    EXPECT_EQ(PowerVoltageText(1), QStringLiteral("230Vac 1 Phase"));
    EXPECT_EQ(PowerVoltageText(400), QStringLiteral("400Vac 3 Phase"));
    EXPECT_EQ(DriveModelText(600), QStringLiteral("TND 600"));
}

TEST(RegenResistor, OneEncodingForBothWindows) {
    EXPECT_EQ(RegenItems(1), RegenItems(230));
    EXPECT_EQ(RegenItems(400).size(), 4);
    EXPECT_TRUE(RegenItems(110).isEmpty());
    EXPECT_EQ(RegenCode(1, 0), 4);
    EXPECT_EQ(RegenCode(230, 2), -1); // beyond the list
    EXPECT_EQ(RegenCode(110, 0), -1);
    EXPECT_EQ(RegenIndex(230, 3), -1); // no item for the code
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
