#include "core/params/ParamTable.h"
#include "core/rules/DigitalForceSession.h"
#include "core/rules/DigitalRequests.h"
#include "core/rules/EditTracker.h"
#include "core/rules/FieldBinding.h"
#include "core/rules/GenInfoModel.h"
#include "core/rules/HomingChoice.h"
#include "core/rules/IoRules.h"
#include "core/rules/LoopRules.h"
#include "core/rules/MainDevRules.h"
#include "core/rules/MotorRules.h"
#include "core/rules/RegenResistor.h"
#include "core/rules/SpeedScaling.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace kelm {
namespace {

constexpr DeviceKind Std = DeviceKind::Std, Power = DeviceKind::Power, Drive = DeviceKind::Drive,
                     Orca = DeviceKind::Orca230;
using Registers = std::vector<std::pair<int, int>>;

// A table holding the given registers (Value and DriveValue alike).
ParamTable Table(const Registers& registers) {
    ParamTable table;
    for (const auto& [address, value] : registers) {
        ParamEntry entry;
        entry.Address = static_cast<std::uint16_t>(address);
        entry.MinValue = -32768;
        entry.MaxValue = 32767;
        entry.Value = entry.DriveValue = static_cast<std::int16_t>(value);
        table.Add(entry);
    }
    return table;
}

TEST(MainDevRules, ModeListsConsequencesAndWideOffsets) {
    EXPECT_EQ(ModeItems(Drive)[12], QStringLiteral("12: Op Mode 12"));
    EXPECT_EQ(ModeItems(Orca), ModeItems(Drive));
    EXPECT_EQ(MainDevAddressTable(Orca).Mode, MainDevAddressTable(Std).Mode);
    // The 32-bit offset pairs must stay below 256 to be packed into one tag.
    for (DeviceKind kind : {Std, Drive, Orca}) {
        const MainDevAddresses a = MainDevAddressTable(kind);
        const int tag = PackWideTag(a.OffsetLow, a.OffsetHigh);
        EXPECT_EQ(WideTagLowRegister(tag), a.OffsetLow);
        EXPECT_EQ(WideTagHighRegister(tag), a.OffsetHigh);
    }
    for (const auto& [kind, value, index] :
         {std::tuple{Std, 10, 10}, {Std, 11, 0}, {Std, -1, 0}, {Drive, 20, 20}, {Drive, 21, 0}})
        EXPECT_EQ(ModeIndex(kind, value), index) << value;
    for (int mode = 0; mode <= 20; ++mode) {
        const ModeLayout l = LayoutForMode(Orca, mode);
        EXPECT_EQ(std::tuple(l.DigitalSpeed, l.SquareWave, l.HwControl, l.SearchAngle,
                             l.SpeedButton, l.PositionButton,
                             LayoutForMode(Drive, mode).SearchAngle),
                  std::tuple(mode == 1 || mode == 10, mode == 10, false, mode != 7 && mode != 9,
                             mode != 2 && mode != 3, (mode >= 4 && mode <= 9) || mode >= 11,
                             mode == 4 || mode == 5 || mode == 6 || mode == 8))
            << mode;
    }
    EXPECT_TRUE(LayoutForMode(Std, 4).HwControl && !LayoutForMode(Std, 5).HwControl);
    EXPECT_EQ(
        (QStringList{PositionCaptions(10)[0], PositionCaptions(10)[1], PositionCaptions(4)[0]}),
        (QStringList{"Software Limit HI", "Software Limit LO", "Position 1"}));
}

// One telling entry of each per-kind table; a kind outside the enum reads Std's.
TEST(PerKindTables, EachKindAndAnUnknownOne) {
    using Row = std::tuple<QString, int, int>; // caption, position Kp dynamic, motor step
    for (const auto& [number, row] : {std::pair{0, Row{"Drive", 39, 0}},
                                      {1, Row{"Tarn Power", 39, 0}},
                                      {2, Row{"Tarn Drive", 57, 0}},
                                      {3, Row{"Tarn", 38, 140}},
                                      {9, Row{"Drive", 39, 0}}}) {
        const auto kind = static_cast<DeviceKind>(number);
        EXPECT_EQ(Row(MainDevCaption(kind), PositionAddressTable(kind).KpDynamic,
                      MotorAddressTable(kind).Step),
                  row)
            << number;
    }
}

TEST(MainDevRules, HardwareControlBitsAndMainVoltage) {
    // Bits 1-2 hold 01 or 10; anything else becomes 10, other bits kept.
    for (const auto& [stored, normal] : {std::pair{0, 4}, {6, 4}, {0x0F, 0x0D}, {2, 2}, {12, 12}})
        EXPECT_EQ(NormalizeHwControl(stored), normal) << stored;
    EXPECT_TRUE(HwControlChecked(2) && !HwControlChecked(4));
    EXPECT_EQ(std::tuple(WithHwControl(0x0C, true), WithHwControl(0x0A, false)),
              std::tuple(0x0A, 0x0C));
    // Family 1 and family 4 series 0 are checked on the page.
    const VoltageChoices f4s2 = MainVoltageChoices(4, 2);
    EXPECT_EQ(std::tuple(f4s2.Items, f4s2.Fallback),
              std::tuple(QStringList{"110 V", "230 V"}, 230));
    EXPECT_EQ(MainVoltageChoices(3, 0).Codes, (std::vector<int>{110, 230}));
    EXPECT_EQ(
        std::tuple(MainVoltageChoices(1, 0).IndexOf(300), MainVoltageChoices(1, 0).IndexOf(480)),
        std::tuple(-1, 3));
}

TEST(MainDevRules, FeedbackEncoderOutAndPowerTexts) {
    EXPECT_EQ(FeedbackText(1) + "|" + FeedbackText(9), "Resolver|Encoder");
    const std::tuple<DeviceKind, int, int, bool> encoderOut[] = {
        {Orca, 0, 1, true}, {Orca, 0, 0, false}, {Std, 3, 3, true},  {Std, 3, 0, false},
        {Std, 1, 2, false}, {Std, 1, 0, true},   {Drive, 0, 0, true}};
    for (const auto& [kind, family, feedback, enabled] : encoderOut)
        EXPECT_EQ(EncoderOutEnabled(kind, family, feedback), enabled) << family << feedback;
    EXPECT_EQ((QStringList{PowerVoltageText(1), PowerVoltageText(400), DriveModelText(600)}),
              (QStringList{"230Vac 1 Phase", "400Vac 3 Phase", "TND 600"}));
}

TEST(RegenResistor, OneEncodingForBothWindows) {
    EXPECT_EQ(RegenItems(1), RegenItems(230));
    EXPECT_EQ(std::tuple(RegenItems(400).size(), RegenItems(110).size()), std::tuple(4, 0));
    // Beyond the list, or no item for the code: -1.
    EXPECT_EQ((std::vector<int>{RegenCode(1, 0), RegenCode(230, 2), RegenCode(110, 0),
                                RegenIndex(230, 3), RegenIndex(400, 6)}),
              (std::vector<int>{4, -1, -1, -1, -1}));
    for (int voltage : {1, 230, 400})
        for (int i = 0; i < RegenItems(voltage).size(); ++i)
            EXPECT_EQ(RegenIndex(voltage, RegenCode(voltage, i)), i);
}

TEST(SpeedScaling, BothWays) {
    // 10922.33 truncated toward zero; 999.97 rounded away from zero.
    EXPECT_EQ((std::vector<int>{RpmToRaw(1000, 3000), RpmToRaw(-1000, 3000), RpmToRaw(3000, 3000),
                                RpmToRaw(50000, 3000)}),
              (std::vector<int>{10922, -10922, 32767, 32767}));
    EXPECT_EQ((std::vector<int>{RawToRpm(10922, 3000), RawToRpm(-10922, 3000),
                                RawToRpm(32767, 3000), RawToRpm(1, 3000), RawToRpm(0, 3000)}),
              (std::vector<int>{1000, -1000, 3000, 1, 0}));
    // A speed shown from a raw value converts back to the same raw value.
    for (int max : {100, 3000, 6000, 10000})
        for (int rpm = -max; rpm <= max; rpm += max / 50)
            EXPECT_EQ(RpmToRaw(RawToRpm(RpmToRaw(rpm, max), max), max), RpmToRaw(rpm, max));
    // No maximum: nothing to scale by.
    EXPECT_EQ(std::tuple(RpmToRaw(100, 0), RawToRpm(100, 0)), std::tuple(0, 0));
}

QStringList Texts(const std::vector<PoleItem>& items) {
    QStringList texts;
    for (const PoleItem& item : items)
        texts << item.Text;
    return texts;
}

TEST(DialogPageRules, PoleAndFeedbackListsCodesAndLabels) {
    const std::vector<PoleItem> orca = PoleItems(0, 4, true);
    EXPECT_EQ(Texts(orca), (QStringList{"00", "02", "04", "DC motor", "Stepper", "Asinchronous"}));
    EXPECT_EQ(std::tuple(orca[PoleIndex(orca, -2)].Text, orca[2].Code),
              std::tuple(QString("Stepper"), 4));
    EXPECT_EQ(Texts(PoleItems(1, 6, false)), (QStringList{"02", "04", "06"}));
    EXPECT_EQ(PoleIndex(PoleItems(2, 32, false), 7), -1);
    EXPECT_EQ(Texts(ResolverPoleItems(8)), (QStringList{"02", "04", "06", "08"}));
    // value, list length -> stored resolver poles
    for (const auto& [value, count, result] :
         {std::tuple{0, 8, 2}, {-4, 8, 2}, {16, 8, 16}, {18, 8, 2}, {6, 8, 6}})
        EXPECT_EQ(NormalizeResolverPoles(value, count), result) << value;
    EXPECT_EQ(FeedbackItems(Std, 2), (QStringList{"Encoder", "Resolver"}));
    EXPECT_EQ(FeedbackItems(Std, 3), (QStringList{"Encoder", "Absolute M/T"}));
    EXPECT_EQ(FeedbackItems(Std, 1), (QStringList{"Encoder", "Resolver", "Absolute M/T"}));
    EXPECT_EQ(FeedbackItems(Drive, 1), (QStringList{"Encoder", "Absolute M/T", "TarnCoder"}));
    const QStringList feedbacks = FeedbackItems(Orca, 0);
    EXPECT_EQ((std::vector<int>{int(feedbacks.size()), FeedbackCode(Orca, feedbacks[1]),
                                FeedbackCode(Orca, QStringLiteral("No feedback")),
                                FeedbackCode(Std, QStringLiteral("TarnCoder"))}),
              (std::vector<int>{9, 2, 9, 3}));
    for (const auto& [kind, code, result] : {std::tuple{Drive, 1, 0}, {Orca, 1, 0}, {Std, 1, 1}})
        EXPECT_EQ(NormalizeFeedback(kind, code), result);
    // kind, code -> resolution field, resolver list, caption
    const QString res = QStringLiteral("Resolution (pulses/rev)"), poles("No. of Poles");
    const std::tuple<DeviceKind, int, bool, bool, QString> labels[] = {
        {Std, 1, false, true, poles}, {Std, 2, false, false, {}},  {Orca, 2, true, false, res},
        {Orca, 8, false, false, {}},  {Orca, 9, false, false, {}}, {Std, 0, true, false, res}};
    for (const auto& [kind, code, field, list, caption] : labels) {
        const FeedbackLabels l = LabelsForFeedback(kind, code);
        EXPECT_EQ(std::tuple(l.Resolution, l.ResolverPoles, l.Caption),
                  std::tuple(field, list, caption))
            << code;
    }
}

TEST(DialogPageRules, AmperesGearingAndDivider) {
    EXPECT_EQ((QStringList{AmpereText(4.5, 50, true), AmpereText(4.5, 50, false),
                           AmpereText(0.0, 50, true), AmpereText(-1.0, 50, true)}),
              (QStringList{" (4.5 A)", "", "", ""}));
    EXPECT_EQ((QStringList{GearingText(1024, 2, 3), GearingText(1000, 3, 1),
                           GearingText(1024, 0, 5), GearingText(128, 4, 1)}),
              (QStringList{"1536", "333.33", "0", "32"}));
    // kind, numerator, denominator -> accepted
    const std::tuple<DeviceKind, int, int, bool> gears[] = {
        {Std, 64, 1, false},  {Std, 63, 1, true},    {Power, 1, 64, false},
        {Std, -64, 1, true},  {Std, -65, 1, false},  {Std, 0, 9999, true},
        {Std, 9999, 0, true}, {Drive, 640, 1, true}, {Orca, 640, 1, true}};
    for (const auto& [kind, num, den, ok] : gears)
        EXPECT_EQ(GearRatioAccepted(kind, num, den), ok) << num << "/" << den;
    EXPECT_EQ(std::tuple(PulsesIndex(1024), PulsesIndex(1000)), std::tuple(3, -1));

    EXPECT_EQ(DividerEntries(FeedbackLineCount(1, 2, 2500), 4),
              (QStringList{"1024", "512", "256", "128"}));
    EXPECT_EQ(DividerEntries(FeedbackLineCount(0, 2, 2500), 4),
              (QStringList{"2500", "1250", "625", "312.5"}));
    // value, default, entries -> divider value
    for (const auto& [value, def, count, result] :
         {std::tuple{0, 3, 4, 3}, {5, 3, 4, 3}, {4, 3, 4, 4}, {-1, 2, 4, 2}, {0, 9, 4, 1}})
        EXPECT_EQ(NormalizeDivider(value, def, count), result) << value;
}

TEST(IoRules, RowsRegistersRequestMasksAndForcedSwitchDisplay) {
    std::array<SwitchRequest, DigitalRowCount> requests{};
    EXPECT_EQ(BuildRequestMasks(requests).ForceOn | BuildRequestMasks(requests).Release, 0);
    requests[2] = SwitchRequest::On;                 // DGT-IN3
    requests[10] = requests[0] = SwitchRequest::Off; // AUX2, the enable input
    EXPECT_EQ(std::tuple(BuildRequestMasks(requests).ForceOn, BuildRequestMasks(requests).Release),
              std::tuple(0x0004, 0x0401));
    // current, hardware, effective -> shown; a live wire never shows forced
    const std::tuple<bool, bool, bool, bool> switches[] = {
        {false, false, true, true},  {false, true, true, false}, {true, true, true, true},
        {true, false, false, false}, {true, true, false, true},  {false, false, false, false}};
    for (const auto& [current, hw, st, shown] : switches)
        EXPECT_EQ(ShownSwitchState(current, hw, st), shown) << current << hw << st;
    EXPECT_TRUE(InitialSwitchState(false, true) && !InitialSwitchState(true, true));
    const auto orca = [](int row) { return DigitalRowLayoutOf(Orca, row); };
    EXPECT_FALSE(orca(6).Visible || orca(8).Switch);
    EXPECT_EQ(orca(7).FixedText, QStringLiteral("STO 1"));
    EXPECT_EQ((std::vector<int>{orca(11).HardwareBit, DigitalRowLayoutOf(Std, 12).HardwareBit,
                                DigitalAddressTable(Drive).Selector[4],
                                AnalogAddressTable(Drive).Offset[1]}),
              (std::vector<int>{13, 15, 0, 31}));
}

TEST(IoRules, SelectionRepairLockAndOffsetMillivolts) {
    const std::vector<int> codes{5, 6, 7};
    // stored index, codes of earlier rows -> index, replaced
    for (const auto& [stored, earlier, index, replaced] :
         {std::tuple{1, std::vector<int>{5}, 1, false},
          {2, std::vector<int>{7}, 0, true},
          {3, std::vector<int>{}, 0, true},
          {-1, std::vector<int>{}, 0, true},
          {0, std::vector<int>{5}, 0, false}}) {
        int i = stored;
        const bool repaired = RepairSelection(i, codes, earlier);
        EXPECT_EQ(std::tuple(repaired, i), std::tuple(replaced, index)) << stored;
    }
    EXPECT_EQ(std::tuple(LockingRow(6, {1, 6, 6}, 2), LockingRow(6, {1, 2, 6}, 2)),
              std::tuple(1, -1));
    EXPECT_EQ(LockMessage("Enable", "DGT-IN2", "Enable"),
              QStringLiteral("Funcion - Enable\r\nLocked by DGT-IN2 : Enable"));
    for (const auto& [raw, tenths] : {std::pair{100, 305}, {-100, -305}, {0, 0}, {32767, 99996}})
        EXPECT_EQ(OffsetToTenthsMv(raw), tenths) << raw;
    for (const auto& [tenths, raw] : {std::pair{306, 101}, {-306, -101}, {305, 100}, {0, 0}})
        EXPECT_EQ(TenthsMvToOffset(tenths), raw) << tenths;
}

TEST(HomingChoice, MethodAndSensorPickADescriptorAnUnknownCodeTheFirst) {
    HomingDescriptors homing;
    homing.Methods = {{0, 0, 0}, {3, 2, 1}, {4, 2, 2}, {9, 1, 0}}; // code, method, sensor
    for (const auto& [name, sensor, code] :
         {std::tuple{2, 2, 4}, {2, 1, 3}, {2, 0, 3}, {1, 5, 9}, {7, 0, -1}}) {
        const HomingMethod* chosen = ChosenHoming(homing, name, sensor);
        EXPECT_EQ(chosen != nullptr ? chosen->Code : -1, code) << name << "/" << sensor;
    }
    for (const auto& [stored, code, replaced] : {std::tuple{4, 4, false}, {50, 0, true}}) {
        const StoredHoming shown = HomingForCode(homing, static_cast<std::uint16_t>(stored));
        EXPECT_EQ(std::tuple(int(shown.Method->Code), shown.Replaced), std::tuple(code, replaced));
    }
    EXPECT_EQ(HomingForCode(HomingDescriptors{}, 4).Method, nullptr);
}

// Register 80 holds the speed as a fraction of register 31 (address 0: no maximum).
TEST(MainDevRules, SpeedFieldKeepsTheRegisterUnlessAnotherSpeedIsTyped) {
    for (const auto& [maxAddress, max, raw, limit, shown, typed, written] :
         {std::tuple{31, 3000, 10922, 3000, 1000, 1000, 10922},
          {31, 3000, 10922, 3000, 1000, -1500, -16383},
          {31, -3000, 0, 3000, 0, 3000, 32767},
          {31, 0, 1000, 0, 0, 0, 1000},
          {0, 3000, 1000, 0, 0, 5, 1000},
          {31, 100, -32768, 100, -101, -101, -32768}}) {
        const ParamTable table = Table({{80, raw}, {maxAddress, max}});
        MainDevEdits edits(table);
        EXPECT_EQ(std::tuple(edits.SpeedLimit(31), edits.ShownSpeed(80, 31)),
                  std::tuple(limit, shown));
        EXPECT_EQ(edits.TakeSpeed(80, 31, typed), written != raw) << typed;
        EXPECT_EQ(edits.Shown(80), written) << typed;
    }
}

// A value, its high and its low word.
TEST(FieldBinding, WordsJoinedWithAnUnsignedLowWord) {
    const std::int32_t words[][3] = {
        {65535, 0, -1},           {-1, -1, -1},           {65536, 1, 0},
        {INT32_MIN, -32768, 0},   {INT32_MAX, 32767, -1}, {0, 0, 0},
        {123456789, 1883, -13035}};
    for (const auto& [value, high, low] : words) {
        EXPECT_EQ(JoinWords(static_cast<std::int16_t>(high), static_cast<std::int16_t>(low)),
                  value);
        EXPECT_EQ(std::tuple(HighWordOf(value), LowWordOf(value)), std::tuple(high, low)) << value;
    }
}

// A page's edits: whole words and bits of a shared register, shown over Value; Store puts
// words as they are and bits over the drive's word; Settle keeps what did not reach the
// drive (its Value put back) and drops the rest.
TEST(EditTrackerTest, WordsBitsStoreAndSettle) {
    ParamTable table = Table({{7, 8}, {70, 0x0021}, {71, 0}});
    EditTracker edits;
    edits.SetWord(7, 12);
    edits.SetBits(70, 0x2000, true);
    edits.SetBits(70, 0x0001, false);
    edits.SetWord(99, 1); // not in the table
    EXPECT_EQ((std::vector<int>{edits.Shown(7, 8), edits.Shown(70, 0x0021), edits.Shown(71, 5)}),
              (std::vector<int>{12, 0x2020, 5}));
    EXPECT_EQ(edits.BitRegisters(), (std::vector<std::uint16_t>{70}));
    edits.SetBits(7, 0x0001, true); // bits over a word edit change the word
    EXPECT_EQ(edits.Shown(7, 8), 13);

    table.FindByAddress(70)->DriveValue = 0x0061; // read again: another page set bit 6
    table.FindByAddress(71)->Value = 4;           // unrelated, not written by this page
    const EditTracker::Replaced replaced = edits.Store(table);
    EXPECT_EQ((std::tuple<int, int>(table.FindByAddress(7)->Value, table.FindByAddress(70)->Value)),
              std::tuple(13, 0x2060));
    table.FindByAddress(70)->DriveValue = 0x2060; // 70 was written, 7 was not
    edits.Settle(table, replaced);
    EXPECT_EQ(edits.Addresses(), (std::vector<std::uint16_t>{7}));
    EXPECT_EQ((std::tuple<int, int>(table.FindByAddress(7)->Value, table.FindByAddress(71)->Value)),
              std::tuple(8, 4));
    edits.Clear();
    EXPECT_TRUE(edits.Empty());
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
        {Std, {{0, 0x0401}, {1, 0x1203}}, " MZ400T ", "  1.5", " 12.3"},
        {Std, {{0, 0x0103}, {1, 0x0203}}, " ZEPHON ", "  3.5", " 2.3"},
        {Drive, {{0, 0x05CA}, {2, 0x0120}}, "Tarn Drive 600", " 2.5", " 0120"},
        {Drive, {{0, 0x0403}}, "  ERROR", "  Tarn Type?", nullptr},
        {Power, {{0, 0x05C8}, {2, 0x0110}}, "Tarn Power 600", "4.5", " 0110"},
        {Orca, {{0, 15}, {1, 0x0105}}, " TARN ", "  1.5", "0105"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const GenInfoTexts t = GenInfoTextsFor(c.kind, Table(c.registers));
        EXPECT_EQ((QStringList{t.Model, t.Size, c.firmware ? t.Firmware : ""}),
                  (QStringList{c.model, c.size, c.firmware ? c.firmware : ""}));
    }
}

TEST(GenInfoModel, LabelsBootAndHardwareInformationPerKind) {
    GenInfoTexts t = GenInfoTextsFor(Std, Table({{0, 0x0401}, {85, 0x0102}}));
    EXPECT_EQ(QStringList({t.GroupCaption, t.ModelLabel, t.Boot, t.HwInfo}),
              QStringList({" Drive ", "Drive Ver.", " 1.2", ""}));

    const Registers hardware{{0, 0x05CA}, {370, 1}, {371, 2}, {372, 3}, {373, 2024},
                             {374, 7},    {375, 4}, {376, 5}, {377, -6}};
    t = GenInfoTextsFor(Drive, Table(hardware));
    EXPECT_EQ(QStringList({t.GroupCaption, t.ModelLabel, t.HwInfo, t.RelayCaption, t.BootLabel}),
              QStringList({" Tarn Device", "Device Ver.", "1.2.3   2024:7   4.005.-6",
                           " Remote Relay OK ", ""}));

    t = GenInfoTextsFor(Power, Table({{0, 0x05C8}, {1, 0x0102}, {3, 12}}));
    EXPECT_EQ(QStringList({t.BootLabel, t.Boot, t.SizeLabel, t.Application, t.HwInfo}),
              QStringList({"Boot", "1.2", "Size (kW)", "12", "0.0.0   0:0   0.000.0"}));

    t = GenInfoTextsFor(Orca, Table({{0, 15}, {150, 9}}));
    EXPECT_TRUE(t.HwInfo.startsWith(QStringLiteral("9.0.0")));
}

// Std loading and Apply are checked through the dialog.
TEST(GenInfoModel, LinkVariantsKeepTheirBitsAndWideAddresses) {
    const ParamTable drive = Table({{76, 0x0200}, {7, 10}, {6, -1}});
    GenInfoEdits edits(Drive, drive);
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
    GenInfoEdits link(Power, power);
    link.Open();
    EXPECT_EQ(link.Tracker().Shown(8, 77), 1000);
    link.Clear();
    EXPECT_TRUE(link.Empty());
}

TEST(GenInfoModel, PowerRegenUsesTheMainPageEncoding) {
    const ParamTable v230 = Table({{11, 230}, {12, 5}, {6, 3}});
    GenInfoEdits edits(Power, v230);
    edits.Open();
    EXPECT_EQ(GenInfoRegenItems(Power, v230), (QStringList{"160 W", "500 W"}));
    EXPECT_EQ(std::tuple(edits.Selection().RegenIndex, edits.Selection().Units), std::tuple(1, 3));
    edits.ChooseRegen(0);
    edits.SetUnits(5);
    EXPECT_EQ(std::tuple(edits.Tracker().Shown(12, 5), edits.Tracker().Shown(6, 3)),
              std::tuple(4, 5));

    // 6 is no 400 V code: the first item, a correction of the opening.
    const ParamTable v400Table = Table({{11, 400}, {12, 6}});
    GenInfoEdits v400(Power, v400Table);
    v400.Open();
    EXPECT_EQ(std::tuple(v400.Selection().RegenIndex, v400.Tracker().Shown(12, 6)),
              std::tuple(0, 0));

    const ParamTable v110 = Table({{11, 110}, {12, 3}});
    GenInfoEdits none(Power, v110);
    none.Open();
    EXPECT_EQ(none.Selection().RegenIndex, -1);
    none.ChooseRegen(0);
    EXPECT_TRUE(none.Empty());
}

const WriteOrigin Before{QStringLiteral("old"), 1, {}}; // asked before a transition
const WriteOrigin Asked{QStringLiteral("force"), 2, {}};
const DigitalRequests::Current Current = [](const WriteOrigin& o) { return o.Generation == 2; };
const DigitalForceSession::States none{}, Row2{false, false, true}; // Row2: only DGT-IN3

TEST(DigitalForceSession, LiveAfterTwoRefreshesAndOnlyThenTakesClicks) {
    DigitalForceSession s(true);
    EXPECT_FALSE(s.OnRefresh(none, none, Current).Counted); // not shown yet
    ASSERT_TRUE(s.Show());
    EXPECT_FALSE(s.Click(2, true, Asked));
    // Forced only (effective without hardware) shows on; the second refresh makes it live.
    EXPECT_TRUE(s.OnRefresh(none, Row2, Current).PollAgain);
    EXPECT_TRUE(s.OnRefresh(none, Row2, Current).BecameLive);
    EXPECT_TRUE(s.Live() && s.SwitchOn(2));
    s.SetSwitchType(4, true);
    ASSERT_TRUE(s.Click(4, true, Asked) && s.Click(2, false, Asked) && s.Click(6, true, Before));
    EXPECT_FALSE(s.SwitchOn(4)); // a push button springs back
    const DigitalForceSession::Refresh live = s.OnRefresh(none, Row2, Current);
    EXPECT_EQ(std::tuple(live.MasksTaken, live.Masks.ForceOn, live.Masks.Release),
              std::tuple(true, 0x0010, 0x0004));
    EXPECT_FALSE(s.SwitchOn(2)); // the release was pending: the user's off stays
}

TEST(DigitalForceSession, OffLineDropsEverythingAndStartsOver) {
    DigitalForceSession s(false);
    EXPECT_FALSE(s.Show()); // shown off line: no countdown
    EXPECT_FALSE(s.OnRefresh(none, none, Current).Counted);
    ASSERT_TRUE(s.Restart());
    EXPECT_TRUE(s.Counting());
    for (int i = 0; i < 2; ++i)
        s.OnRefresh(none, none, Current);
    ASSERT_TRUE(s.Click(1, true, Asked));
    s.GoOffLine();
    EXPECT_FALSE(s.Restart() && s.Live());
    for (int i = 0; i < 2; ++i)
        s.OnRefresh(none, none, Current);
    EXPECT_EQ(s.OnRefresh(none, none, Current).Masks.ForceOn, 0); // the force did not survive
}

// The force requests are checked through DigitalForceSession.
TEST(DigitalRequests, SpeedIsDueOncePerDragWindowAndOnlyWhenCurrent) {
    DigitalRequests r;
    // (position, dragging, ms, due): a drag's first move opens a 200 ms window; a step is due.
    for (const auto& [position, dragging, ms, due] : {std::tuple{10, true, 1000, false},
                                                      {30, true, 1199, false},
                                                      {30, true, 1200, true},
                                                      {40, true, 1399, false},
                                                      {50, false, 1400, true}})
        EXPECT_EQ(r.MoveSpeed(position, Asked, dragging, ms), due) << position;
    EXPECT_EQ(r.TakeSpeed(Current).value_or(DigitalRequests::Speed{}).Position, 50);
    EXPECT_FALSE(r.MoveSpeed(60, Before, true, 2000));
    EXPECT_FALSE(r.TakeSpeed(Current, true).has_value()); // dropped, not written
    EXPECT_FALSE(r.SpeedPending());
}

} // namespace
} // namespace kelm
