#include "ui/pages/LoopRules.h"
#include "ui/pages/MotorRules.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelm {
namespace {

QStringList Texts(const std::vector<PoleItem>& items) {
    QStringList texts;
    for (const PoleItem& item : items)
        texts << item.Text;
    return texts;
}

TEST(DialogPageRules, PoleAndFeedbackListsCodesAndLabels) {
    const std::vector<PoleItem> orca = PoleItems(0, 4, true);
    EXPECT_EQ(Texts(orca), (QStringList{"00", "02", "04", "DC motor", "Stepper", "Asinchronous"}));
    EXPECT_EQ(orca[PoleIndex(orca, -2)].Text, QStringLiteral("Stepper"));
    EXPECT_EQ(orca[2].Code, 4);
    EXPECT_EQ(Texts(PoleItems(1, 6, false)), (QStringList{"02", "04", "06"}));
    EXPECT_EQ(PoleIndex(PoleItems(2, 32, false), 7), -1);
    EXPECT_EQ(Texts(ResolverPoleItems(8)), (QStringList{"02", "04", "06", "08"}));
    // value, list length -> stored resolver poles
    for (const auto& [value, count, result] :
         {std::tuple{0, 8, 2}, {-4, 8, 2}, {16, 8, 16}, {18, 8, 2}, {6, 8, 6}})
        EXPECT_EQ(NormalizeResolverPoles(value, count), result) << value;
    const auto std = DeviceKind::Std;
    EXPECT_EQ(FeedbackItems(std, 2), (QStringList{"Encoder", "Resolver"}));
    EXPECT_EQ(FeedbackItems(std, 3), (QStringList{"Encoder", "Absolute M/T"}));
    EXPECT_EQ(FeedbackItems(std, 1), (QStringList{"Encoder", "Resolver", "Absolute M/T"}));
    EXPECT_EQ(FeedbackItems(DeviceKind::Drive, 1),
              (QStringList{"Encoder", "Absolute M/T", "TarnCoder"}));
    const QStringList feedbacks = FeedbackItems(DeviceKind::Orca230, 0);
    EXPECT_EQ(feedbacks.size(), 9);
    EXPECT_EQ(FeedbackCode(DeviceKind::Orca230, feedbacks[1]), 2);
    EXPECT_EQ(FeedbackCode(DeviceKind::Orca230, QStringLiteral("No feedback")), 9);
    EXPECT_EQ(FeedbackCode(std, QStringLiteral("TarnCoder")), 3);
    for (const auto& [kind, code, result] :
         {std::tuple{DeviceKind::Drive, 1, 0}, {DeviceKind::Orca230, 1, 0}, {std, 1, 1}})
        EXPECT_EQ(NormalizeFeedback(kind, code), result);
    // kind, code -> resolution field, resolver list, caption
    const QString res = QStringLiteral("Resolution (pulses/rev)");
    for (const auto& [kind, code, field, list, caption] :
         {std::tuple{std, 1, false, true, QStringLiteral("No. of Poles")},
          {std, 2, false, false, QString()},
          {DeviceKind::Orca230, 2, true, false, res},
          {DeviceKind::Orca230, 7, true, false, res},
          {DeviceKind::Orca230, 8, false, false, QString()},
          {DeviceKind::Orca230, 9, false, false, QString()},
          {std, 0, true, false, res},
          {std, 42, true, false, res}}) {
        const FeedbackLabels labels = LabelsForFeedback(kind, code);
        EXPECT_EQ(labels.Resolution, field) << code;
        EXPECT_EQ(labels.ResolverPoles, list) << code;
        EXPECT_EQ(labels.Caption, caption) << code;
    }
}

TEST(DialogPageRules, AmperesGearingAndDivider) {
    EXPECT_EQ(AmpereText(4.5, 50, true), QStringLiteral(" (4.5 A)"));
    EXPECT_EQ(AmpereText(4.5, 50, false), QString());
    EXPECT_EQ(AmpereText(0.0, 50, true), QString());
    EXPECT_EQ(AmpereText(-1.0, 50, true), QString());

    EXPECT_EQ(GearingText(1024, 2, 3), QStringLiteral("1536"));
    EXPECT_EQ(GearingText(1000, 3, 1), QStringLiteral("333.33"));
    EXPECT_EQ(GearingText(1024, 0, 5), QStringLiteral("0"));
    EXPECT_EQ(GearingText(128, 4, 1), QStringLiteral("32"));
    // kind, numerator, denominator -> accepted
    for (const auto& [kind, num, den, ok] : {std::tuple{DeviceKind::Std, 64, 1, false},
                                             {DeviceKind::Std, 63, 1, true},
                                             {DeviceKind::Power, 1, 64, false},
                                             {DeviceKind::Std, -64, 1, true},
                                             {DeviceKind::Std, -65, 1, false},
                                             {DeviceKind::Std, 0, 9999, true},
                                             {DeviceKind::Std, 9999, 0, true},
                                             {DeviceKind::Drive, 640, 1, true},
                                             {DeviceKind::Orca230, 640, 1, true}})
        EXPECT_EQ(GearRatioAccepted(kind, num, den), ok) << num << "/" << den;
    EXPECT_EQ(PulsesIndex(1024), 3);
    EXPECT_EQ(PulsesIndex(1000), -1);

    EXPECT_EQ(DividerEntries(FeedbackLineCount(1, 2, 2500), 4),
              (QStringList{"1024", "512", "256", "128"}));
    EXPECT_EQ(DividerEntries(FeedbackLineCount(0, 2, 2500), 4),
              (QStringList{"2500", "1250", "625", "312.5"}));
    // value, default, entries -> divider value
    for (const auto& [value, def, count, result] :
         {std::tuple{0, 3, 4, 3}, {5, 3, 4, 3}, {4, 3, 4, 4}, {-1, 2, 4, 2}, {0, 9, 4, 1}})
        EXPECT_EQ(NormalizeDivider(value, def, count), result) << value;
}

} // namespace
} // namespace kelm
