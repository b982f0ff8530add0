#include "core/config/HomingDescriptors.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

const QString Damaged = "Fatal Error in Homing.dll\rLoad Default Data!";
const QString Zeros = "0\t0\t0\t0\t0\t0\t0\t0\t0";

QStringList Sections(const QStringList& records) {
    return QString(
               "Kelm Homing Configuration File|Method Descriptors|; methods|No Homing||"
               "  Switch \tcomment|Index|End|Sensor Descriptors|NOpen|NClosed|End|captions|-----")
               .split('|') +
           records;
}

// The six "uses" flags of a method, in file order.
std::vector<bool> Flags(const HomingMethod& m) {
    return {m.UsesZeroEncoder, m.UsesSearchAngle, m.UsesAcceleration,
            m.UsesSpeed,       m.UsesZeroSpeed,   m.UsesOffset};
}

class HomingTest : public ::testing::Test {
protected:
    bool Load(const QStringList& lines) {
        test::WriteFixture(dir.path(), "Homing.dll", lines);
        return LoadHomingDescriptors(dir.filePath("Homing.dll"), "Homing.dll", homing);
    }
    QTemporaryDir dir;
    RecordingMessages messages;
    HomingDescriptors homing;
};

TEST_F(HomingTest, ReadsNamesAndRecords) {
    ASSERT_TRUE(Load(Sections({Zeros, "; comment", "", "35\t1\t2\t1\t0\t1\t0\t1\t-1",
                               "7\t2\t1\t0\t1\t0\t1\t0\t0\textra"})));
    EXPECT_EQ(homing.MethodNames, (QStringList{"No Homing", "Switch", "Index"}));
    EXPECT_EQ(homing.SensorNames, (QStringList{"NOpen", "NClosed"}));
    ASSERT_EQ(homing.Methods.size(), 3u);
    const HomingMethod& m = homing.Methods[1];
    EXPECT_EQ(std::tuple(m.Code, m.NameIndex, m.SensorIndex), std::tuple(35, 1, 2));
    EXPECT_EQ(Flags(m), (std::vector<bool>{true, false, true, false, true, true}));
    EXPECT_EQ(homing.FindByCode(7)->NameIndex, 2);
    EXPECT_EQ(homing.FindByCode(8), nullptr);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(HomingTest, FieldsKeepTheirWidthAndIndexesMustFitTheLists) {
    // The code is 16 bits wide, each flag one byte: 256 leaves a flag clear, 257 sets it.
    ASSERT_TRUE(Load(Sections({"65537\t0\t0\t256\t257\t512\t-256\t1\t0", "1\t3\t0" + Zeros.mid(5),
                               "2\t0\t3" + Zeros.mid(5), "3\t-1\t0" + Zeros.mid(5)})));
    ASSERT_EQ(homing.Methods.size(), 1u);
    EXPECT_EQ(homing.Methods[0].Code, 1);
    EXPECT_EQ(Flags(homing.Methods[0]),
              (std::vector<bool>{false, true, false, false, true, false}));
    // An empty sensor list still allows sensor 0.
    ASSERT_TRUE(Load({"Kelm Homing Configuration File", "Method Descriptors", "None", "End",
                      "Sensor Descriptors", "End", "c", "c", Zeros}));
    EXPECT_EQ(homing.Methods.size(), 1u);
}

TEST_F(HomingTest, MissingAndDamagedFilesLeaveEmptyDescriptors) {
    EXPECT_FALSE(LoadHomingDescriptors(dir.filePath("Homing_Tarn.dll"), "Homing_Tarn.dll", homing));
    EXPECT_EQ(messages.Texts(), QStringList{"Fail to Open Homing_Tarn.dll File"});
    const QStringList good = Sections({Zeros});
    std::vector<QStringList> damaged(3, good);
    damaged[0][0] = "Kelm Homing";
    damaged[1][1] = "Method"; // sorts before the section line
    damaged[2][8] = "; Sensor Descriptors";
    damaged.push_back(Sections({"0\t0\t0\t0\t0\t0\t0\t0"}));      // eight fields
    damaged.push_back(Sections({"0\t0\t0\t0\t0\tyes\t0\t0\t0"})); // not a number
    damaged.push_back(Sections({}));                              // no record
    damaged.push_back(Sections({"9\t7\t0\t0\t0\t0\t0\t0\t0"}));   // no usable record
    damaged.push_back(good.mid(0, 6));                            // ends inside methods
    damaged.push_back({"Kelm Homing Configuration File", "Method Descriptors", "End",
                       "Sensor Descriptors", "End", "c", "c", Zeros});
    damaged.push_back(Sections({Zeros + QString(95, u' ')})); // cut
    for (const QStringList& lines : damaged) {
        messages.Clear();
        EXPECT_FALSE(Load(lines)) << qPrintable(lines.join('|'));
        EXPECT_EQ(messages.Texts(), QStringList{Damaged}) << qPrintable(lines.join('|'));
        EXPECT_TRUE(homing.IsEmpty());
    }
}

} // namespace
} // namespace kelm
