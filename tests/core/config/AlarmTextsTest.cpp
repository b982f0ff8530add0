#include "core/config/AlarmTexts.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace kelm {
namespace {

constexpr int Std = 0, Power = 1, Drive = 2, Orca = 3;
const QString Header = AlarmTextsHeader;

class AlarmTextsTest : public ::testing::Test {
protected:
    AlarmTextLists Load(const QStringList& lines) {
        test::WriteFixture(dir.path(), "strall.dll", lines);
        return LoadAlarmTexts(dir.filePath("strall.dll"));
    }
    QTemporaryDir dir;
    RecordingMessages messages;
};

TEST_F(AlarmTextsTest, MissingForeignOrEmptyFileGivesDefaults) {
    const AlarmTextLists results[] = {
        LoadAlarmTexts(dir.filePath("strall.dll")),
        Load({"Kelm Allarms Messages Configuration File v2", "1\tA\tB\tC\tD"}), Load({})};
    for (const AlarmTextLists& lists : results) {
        for (int kind : {Std, Power, Drive}) {
            ASSERT_EQ(lists[kind].size(), 32);
            EXPECT_EQ(lists[kind][0], "1 Alarm nr. 1");
            EXPECT_EQ(lists[kind][31], "32 Alarm nr. 32");
        }
        EXPECT_TRUE(lists[Orca].isEmpty());
    }
    const QString fatal = "Fatal Error Opening Allarms Messages\rLoad Defaut Message";
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open Allarms Messages Configuration File\rLoad Defaut Message",
                           fatal, fatal}));
    EXPECT_EQ(messages.TerminateCount(), 0);
}

TEST_F(AlarmTextsTest, ColumnsPerKind) {
    // Trimmed header; comments, blank and tab-less lines skipped; leading blanks removed.
    const AlarmTextLists lists =
        Load({"  " + Header + " \t", "; comment", "", "1\tS1\tP1\tD1\tO1\textra", "no tab here",
              "  2\t  S2\tP2\tD2"});
    EXPECT_EQ((std::array{lists[Std], lists[Power], lists[Drive], lists[Orca]}),
              (std::array<QStringList, 4>{{{"S1", "S2"}, {"P1", "P2"}, {"D1", "D2"}, {"O1"}}}));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(AlarmTextsTest, NumbersOutOfStepGetDefaults) {
    const AlarmTextLists lists =
        Load({Header, "1\tA\tA\tA", "2\tB\tB\tB", "4\tD\tD\tD", "5\tE\tE\tE", "x\tF\tF\tF"});
    EXPECT_EQ(lists[Std],
              (QStringList{"A", "B", "3 Alarm nr. 3", "4 Alarm nr. 4", "5 Alarm nr. 5"}));
    EXPECT_EQ(lists[Power].size(), 5);
    EXPECT_EQ(lists[Drive][2], "3 Alarm nr. 3");
}

TEST_F(AlarmTextsTest, EmptyColumnGetsItsDefaultOrcaHasNone) {
    const AlarmTextLists lists = Load({Header, "1\ta\tb\tc\t", "2\ta\tb\tc\tOrca2", "3\ta\tb\tc\td",
                                       "4\ta\tb\tc\td", "5\t\tPower5\tDrive5\tOrca5  "});
    EXPECT_EQ(lists[Std][4] + "|" + lists[Power][4] + "|" + lists[Drive][4],
              "5 Alarm nr. 5|Power5|Drive5");
    EXPECT_EQ(lists[Orca], (QStringList{"Orca2", "d", "d", "Orca5"}));
}

TEST_F(AlarmTextsTest, TextsAndOverLongLinesAreCutToThirtyCharacters) {
    const QString t45(45, u'x'), x30(30, u'x');
    AlarmTextLists lists =
        Load({Header, "1\t " + t45 + "\t" + t45, "2\t\t\t" + t45 + "\t" + t45 + " "});
    EXPECT_EQ((QStringList{lists[Std][0], lists[Power][0], lists[Std][1], lists[Drive][1]}),
              (QStringList{x30, x30, "2 Alarm nr. 2", x30}));
    EXPECT_EQ(lists[Orca], QStringList{x30});
    // A line beyond the reader's limit is cut, its rest is not read as another line.
    lists = Load({Header, "1\tS\tP\tD\t" + QString(200, u'o'), "2\tS2\tP2\tD2"});
    EXPECT_EQ(lists[Orca], QStringList{QString(30, u'o')});
    EXPECT_EQ(lists[Std], (QStringList{"S", "S2"}));
}

} // namespace
} // namespace kelm
