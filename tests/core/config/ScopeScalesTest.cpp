#include "core/config/ScopeScales.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

const QString Header = ScopeScalesHeader;

class ScopeScalesTest : public ::testing::Test {
protected:
    bool Load(const QStringList& lines) {
        test::WriteFixture(dir.path(), "Osci.dll", lines);
        return LoadScopeScales(dir.filePath("Osci.dll"), "Osc.dll", set);
    }
    QTemporaryDir dir;
    RecordingMessages messages;
    ScopeScaleSet set;
};

TEST_F(ScopeScalesTest, SignalsAndRows) {
    ASSERT_TRUE(Load({Header, " Speed \tx\tCurrent\t\tTorque", "1 rpm\t1\t 1 A \t 10 \t1 Nm\t100",
                      "; comment", "", "no tab", "10 rpm\t70000\t\t5\t2 Nm\tabc", "\t\t2 A\t20"}));
    ASSERT_EQ(set.size(), 3u);
    EXPECT_EQ(set[0].Name + set[1].Name + set[2].Name, "SpeedCurrentTorque");
    // An empty caption adds nothing, the next row does; "abc" is not a number.
    const auto scales = [&](std::size_t i) {
        QStringList out;
        for (const ScopeScale& scale : set[i].Scales)
            out << scale.Caption + "=" + QString::number(scale.UnitsPerDivision);
        return out;
    };
    EXPECT_EQ(scales(0), (QStringList{"1 rpm=1", "10 rpm=4464"}));
    EXPECT_EQ(scales(1), (QStringList{"1 A=10", "2 A=20"}));
    EXPECT_EQ(scales(2), QStringList{"1 Nm=100"});
    EXPECT_TRUE(messages.Texts().isEmpty());
    // Naming stops at the first empty name; a header alone gives no signal.
    ASSERT_TRUE(Load({Header, "A\t\t\t\tC\t", "a\t1\tb\t2\tc\t3"}));
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].Scales.size(), 1u);
    EXPECT_TRUE(Load({Header}));
    EXPECT_TRUE(set.empty());
}

TEST_F(ScopeScalesTest, LongLinesUpTo399Characters) {
    const QString longCaption = "B" + QString(390, u'x');
    const QString fits = "A\t1\t" + longCaption + "\t123";         // 399 characters
    const QString straddles = "A\t2\t" + longCaption + "\t123456"; // cut inside the value
    ASSERT_EQ(fits.size(), 399);
    ASSERT_TRUE(Load({Header, "One\t\tTwo\t", fits, straddles}));
    ASSERT_EQ(set.size(), 2u);
    ASSERT_EQ(set[0].Scales.size(), 2u);
    EXPECT_EQ(set[0].Scales[1].UnitsPerDivision, 2);
    // "123456" would have been read as "123": the partial field is dropped.
    ASSERT_EQ(set[1].Scales.size(), 1u);
    EXPECT_EQ(set[1].Scales[0].Caption, longCaption);
    EXPECT_EQ(set[1].Scales[0].UnitsPerDivision, 123);
}

TEST_F(ScopeScalesTest, MissingAndForeignFiles) {
    set.push_back({"stale", {}});
    EXPECT_FALSE(LoadScopeScales(dir.filePath("Osci_Tarn.dll"), "Osc_Tarn.dll", set));
    EXPECT_TRUE(set.empty());
    EXPECT_FALSE(Load({"Kelm Oscilloscope", "A\t"}));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open Osc_Tarn.dll File", "Fatal Error in Osc.dll"}));
}

} // namespace
} // namespace kelm
