#include "core/config/IoStrings.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace kelm {
namespace {

const QString Fatal = "Fatal Error Opening Digital I/O Strings\rApplication Terminate!";

class IoStringsTest : public ::testing::Test {
protected:
    bool Load(const QStringList& dataLines) {
        test::WriteFixture(dir.path(), "digIO.dll",
                           QStringList{IoStringsHeader, "captions"} + dataLines);
        return LoadIoStrings(dir.filePath("digIO.dll"), DeviceKind::Std, groups);
    }
    QTemporaryDir dir;
    RecordingMessages messages;
    IoGroups groups;
};

TEST_F(IoStringsTest, MissingFileMessagesPerKindAndForeignHeader) {
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230})
        EXPECT_FALSE(LoadIoStrings(dir.filePath(IoStringsFileName(kind)), kind, groups));
    test::WriteFixture(dir.path(), "digIO.dll", QStringList{"Kelm Digital", "x"});
    EXPECT_FALSE(LoadIoStrings(dir.filePath("digIO.dll"), DeviceKind::Std, groups));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open DigIO.dll File\rApplication Terminate!",
                           "Fail to Open DigIO_Tarn.dll File\rApplication Terminate!",
                           "Fail to Open DigIO_Orca.dll File\rApplication Terminate!", Fatal}));
}

TEST_F(IoStringsTest, SingleItemGroups) {
    ASSERT_TRUE(Load(
        {"; comment", "no tab", "", "  In 1\t0\t1\tHome\t4\t0\t7  ", "Out 1\t0\t0\t\t-2\t0\t0"}));
    EXPECT_EQ(groups[0].Caption, "In 1");
    ASSERT_EQ(groups[0].Items.size(), 1u);
    const IoItem& home = groups[0].Items[0];
    EXPECT_TRUE(home.ItemFlag && home.HasRange);
    EXPECT_EQ(home.Text, "Home");
    EXPECT_EQ((std::array<int, 3>{home.Number1, home.Number2, home.Number3}),
              (std::array{4, 0, 7}));
    ASSERT_EQ(groups[1].Items.size(), 1u);
    EXPECT_TRUE(groups[1].Items[0].Text.isEmpty());
    EXPECT_FALSE(groups[1].Items[0].ItemFlag || groups[1].Items[0].HasRange);
    EXPECT_EQ(groups[1].Items[0].Number1, -2);
    for (int i = 2; i < IoGroupCount; ++i)
        EXPECT_TRUE(groups[i].Caption.isEmpty() && groups[i].Items.empty()) << i;
}

TEST_F(IoStringsTest, MultiGroupCollectsContinuationLines) {
    ASSERT_TRUE(Load({"Inputs\t1\t0\tNone\t0\t0\t0", "\t\t1\tEnable\t1\t0\t0", "; between",
                      "  \t1\t0\tLimit\t2\t3\t0", "Outputs\t1\t0\tReady\t5\t0\t0",
                      "\tx\t0\tFault\t6\t0\t0"}));
    EXPECT_EQ(groups[0].Caption + groups[1].Caption, "InputsOutputs");
    ASSERT_EQ(groups[0].Items.size(), 3u);
    EXPECT_EQ(groups[0].Items[1].Text + groups[0].Items[2].Text, "EnableLimit");
    EXPECT_TRUE(groups[0].Items[1].ItemFlag && groups[0].Items[2].HasRange);
    ASSERT_EQ(groups[1].Items.size(), 2u); // the Multi column of a continuation is not read
    EXPECT_EQ(groups[1].Items[1].Text, "Fault");
}

TEST_F(IoStringsTest, SingleGroupTurnsTabbedLineIntoNextGroup) {
    ASSERT_TRUE(Load({"First\t0\t0\tA\t1\t0\t0", "\tSecond\t0\t0\tB\t2\t0\t0"}));
    EXPECT_EQ(groups[0].Items.size(), 1u);
    ASSERT_EQ(groups[1].Items.size(), 1u);
    EXPECT_EQ(groups[1].Caption + "|" + groups[1].Items[0].Text, "Second|B");
}

TEST_F(IoStringsTest, AtMostThirteenGroupsOrNone) {
    ASSERT_TRUE(Load({"; nothing", ""}));
    EXPECT_TRUE(groups[0].Caption.isEmpty());
    QStringList lines;
    for (int i = 0; i < 15; ++i)
        lines << QString("G%1\t0\t0\tT\t%1\t0\t0").arg(i);
    lines << "bad\tline";
    ASSERT_TRUE(Load(lines));
    EXPECT_EQ(groups[12].Caption, "G12");
    EXPECT_EQ(groups[12].Items[0].Number1, 12);
}

TEST_F(IoStringsTest, ConversionErrorsAndOverLongLinesAreFatal) {
    const QStringList bad = {"G\tx\t0\tT\t1\t0\t0", "G\t0\t0\tT\t1\t0", "G\t0\t0\tT\t1\t0\t2b",
                             "G\t0\t\tT\t1\t0\t0", "G\t0\t0\t" + QString(90, u'T') + "\t1\t0\t0"};
    for (const QString& line : bad) {
        messages.Clear();
        EXPECT_FALSE(Load({"Ok\t0\t0\tT\t1\t0\t0", line})) << qPrintable(line);
        EXPECT_EQ(messages.Texts(), QStringList{Fatal}) << qPrintable(line);
        EXPECT_TRUE(groups[0].Items.empty()); // nothing half-loaded stays
    }
    messages.Clear();
    EXPECT_FALSE(Load({"Multi\t1\t0\tT\t1\t0\t0", "\t\t0\tT\tnine\t0\t0"}));
    EXPECT_EQ(messages.Texts(), QStringList{Fatal});
}

} // namespace
} // namespace kelm
