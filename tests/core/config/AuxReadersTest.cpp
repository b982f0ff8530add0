// Analog-out labels and bootloader records.
#include "ConfigFixtures.h"
#include "core/config/AnalogOutLabels.h"
#include "core/config/BootloaderRecords.h"
#include "core/seams/RecordingMessages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

const QString BootHeader = "Kelm bootloader configuration file";

class AuxReadersTest : public ::testing::Test {
protected:
    bool LoadLabels(const QStringList& lines) {
        test::WriteFixture(dir.path(), "StrMon.dll", lines);
        return LoadAnalogOutLabels(dir.filePath("StrMon.dll"), "StrMon.dll", labels);
    }
    BootloaderRecords LoadBoot(const QStringList& lines) {
        test::WriteFixture(dir.path(), "Btldr.dll", lines);
        return LoadBootloaderRecords(dir.filePath("Btldr.dll"));
    }
    QTemporaryDir dir;
    RecordingMessages messages;
    AnalogOutLabels labels;
};

TEST_F(AuxReadersTest, LabelsTwoColumnsFromTheSecondLine) {
    ASSERT_TRUE(LoadLabels({"Kelm Analog Outs Labels", "Speed\tCurrent", "Torque", "; c\td",
                            "  Id \t Iq \tthird", "\"x\ty", "", "Empty\t"}));
    EXPECT_EQ(labels.First, (QStringList{"Speed", "Id ", "Empty"}));
    EXPECT_EQ(labels.Second, (QStringList{"Current", " Iq ", ""}));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(AuxReadersTest, LabelsMissingOrForeign) {
    labels.First << "stale";
    EXPECT_FALSE(LoadAnalogOutLabels(dir.filePath("StrMon.dll"), "StrMon.dll", labels));
    EXPECT_TRUE(labels.IsEmpty());
    EXPECT_FALSE(LoadLabels({"Kelm Analog", "A\tB"}));
    EXPECT_TRUE(labels.IsEmpty());
    EXPECT_EQ(messages.Texts(), (QStringList{"Fail to Open StrMon.dll File\rLoad Default Data!",
                                             "Fatal Error in StrMon.dll\rLoad Default Data!"}));
    EXPECT_EQ(messages.TerminateCount(), 0);
}

TEST_F(AuxReadersTest, BootloaderRecordsMissingOrForeignAreSilent) {
    BootloaderRecords r = LoadBoot({" " + BootHeader + " ", "captions",
                                    "Drive\t1\t70000\tTarn.exe\tignored", "Orca\t3\t4\tOrca.exe"});
    EXPECT_EQ(std::tuple(r.Drive.First, r.Drive.Second, r.Drive.Text),
              std::tuple(1, 4464, QString("Tarn.exe")));
    EXPECT_EQ(std::tuple(r.Orca230.First, r.Orca230.Second, r.Orca230.Text),
              std::tuple(3, 4, QString("Orca.exe")));

    r = LoadBoot({BootHeader, "captions", "  ", "Orca\t3\t4\tOrca.exe"}); // empty third line
    EXPECT_TRUE(r.Drive.IsEmpty());
    EXPECT_EQ(r.Orca230.Second, 4);

    r = LoadBoot({BootHeader, "captions", "Drive\tone\t2\tTarn.exe", "Orca\t3"}); // not numbers
    EXPECT_TRUE(r.Drive.IsEmpty() && r.Orca230.IsEmpty());

    r = LoadBoot({BootHeader, "x", "D\t5\t6"}); // short file
    EXPECT_EQ(r.Drive.First, 5);
    EXPECT_TRUE(r.Drive.Text.isEmpty() && r.Orca230.IsEmpty());
    // Missing or foreign (only an exact header, after trimming, is accepted): silently empty.
    EXPECT_TRUE(LoadBootloaderRecords(dir.filePath("none.dll")).Drive.IsEmpty());
    r = LoadBoot({BootHeader + " 2", "x", "Drive\t1\t2\tT", "Orca\t3\t4\tO"});
    EXPECT_TRUE(r.Drive.IsEmpty() && r.Orca230.IsEmpty());
    EXPECT_TRUE(messages.Texts().isEmpty());
}

} // namespace
} // namespace kelm
