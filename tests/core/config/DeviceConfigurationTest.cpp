#include "core/config/DeviceConfiguration.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::CrLf;

const QString Header = DeviceConfigurationHeader;
const QString Title = DeviceConfigurationErrorTitle;
const QString HeaderError = "Fatal Error Opening Device Configuration File\rApplication Terminate!";
const QString ConversionError =
    "Fatal Error Opening Device Configuration File\rConversione Error\rApplication Terminate!";

class DeviceConfigurationTest : public ::testing::Test {
protected:
    bool Load(const QByteArray& bytes) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        return LoadConfiguration(table, buffer, Header, Title);
    }
    bool LoadLines(const QStringList& dataLines) {
        return Load(CrLf(QStringList{Header, "captions"} + dataLines));
    }
    RecordingMessages messages;
    ParamTable table;
};

TEST_F(DeviceConfigurationTest, HeaderAndCaptionOnlyGiveEmptyTable) {
    EXPECT_TRUE(LoadLines({}));
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(DeviceConfigurationTest, HeaderMayCarryTrailingText) {
    EXPECT_TRUE(Load(CrLf({Header + " ", "x", "A\tU\tA\t1\t0\t1\t0\t0"})));
    EXPECT_EQ(table.Count(), 1);
}

TEST_F(DeviceConfigurationTest, ShortOrMissingHeaderIsFatal) {
    EXPECT_FALSE(Load(CrLf({"Kelm Devices", "x", "A\tU\tA\t1\t0\t1\t0\t0"})));
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_FALSE(Load(QByteArray()));
    EXPECT_EQ(messages.Texts(), (QStringList{HeaderError, HeaderError}));
    EXPECT_EQ(messages.Boxes().at(0).Caption, " Error");
    EXPECT_EQ(messages.BeepCount(), 2);
}

TEST_F(DeviceConfigurationTest, ParsesEveryField) {
    ASSERT_TRUE(LoadLines({"Speed\tE\tF\t12\t-5\t40000\t7\t 1 \tignored\tmore"}));
    ASSERT_EQ(table.Count(), 1);
    const ParamEntry& e = table.At(0);
    EXPECT_EQ(e.Name, "Speed");
    EXPECT_EQ(e.AccessLetter, 'E');
    EXPECT_EQ(e.KindLetter, 'F');
    EXPECT_EQ(e.Address, 12);
    EXPECT_EQ(e.MinValue, -5);
    EXPECT_EQ(e.MaxValue, -25536);
    EXPECT_EQ(e.DefaultValue, 7);
    EXPECT_TRUE(e.Compared);
    EXPECT_EQ(e.Value, 0);
    EXPECT_EQ(e.FileValue, 0);
    EXPECT_EQ(e.DriveValue, 0);
}

TEST_F(DeviceConfigurationTest, LettersFallBack) {
    ASSERT_TRUE(LoadLines({"A\tX\tZ\t1\t0\t1\t0\t0", "B\tExpert\t\t2\t0\t1\t0\t0",
                           "C\t\tD\t3\t0\t1\t0\t0", "D\tU\tN\t4\t0\t1\t0\t2"}));
    EXPECT_EQ(table.At(0).AccessLetter, 'U');
    EXPECT_EQ(table.At(0).KindLetter, 'N');
    EXPECT_EQ(table.At(1).AccessLetter, 'E');
    EXPECT_EQ(table.At(1).KindLetter, 'N');
    EXPECT_EQ(table.At(2).AccessLetter, 'U');
    EXPECT_EQ(table.At(2).KindLetter, 'D');
    EXPECT_FALSE(table.At(0).Compared);
    EXPECT_TRUE(table.At(3).Compared); // any non-zero number
}

TEST_F(DeviceConfigurationTest, AddressKeepsLowSixteenBits) {
    ASSERT_TRUE(LoadLines({"A\tU\tA\t70000\t0\t1\t0\t0", "B\tU\tA\t-1\t0\t1\t0\t0"}));
    EXPECT_EQ(table.At(0).Address, 4464);
    EXPECT_EQ(table.At(1).Address, 65535);
}

TEST_F(DeviceConfigurationTest, NamesLongerThanNineteenAreCut) {
    const QString n19 = QString(19, u'a');
    const QString n20 = QString(19, u'b') + "Z";
    const QString n25 = QString(25, u'c');
    ASSERT_TRUE(LoadLines({n19 + "\tU\tA\t1\t0\t1\t0\t0", n20 + "\tU\tA\t2\t0\t1\t0\t0",
                           n25 + "\tU\tA\t3\t0\t1\t0\t0"}));
    EXPECT_EQ(table.At(0).Name, n19);
    EXPECT_EQ(table.At(1).Name, QString(19, u'b'));
    EXPECT_EQ(table.At(2).Name, QString(19, u'c'));
}

TEST_F(DeviceConfigurationTest, ConversionErrorsStopTheLoad) {
    const QStringList bad = {
        "B\tU\tA\t2\t0\t1\t0",      // six tabs
        "B\tU\tA\t2\t12a\t1\t0\t0", // non-numeric
        "B\tU\tA\t\t0\t1\t0\t0",    // empty address
        "B\tU\tA\t2\t0\t1\t0\t",    // empty comparison field
        "B\tU\tA\t2\t0\t1 \t0\t0",  // text after the digits
        "NoTabsAtAll",
        "B\tU\tA\t2\t0\t1\t0\t99999999999999999999", // beyond any integer
    };
    for (const QString& line : bad) {
        table.Clear();
        messages.Clear();
        EXPECT_FALSE(LoadLines({"A\tU\tA\t1\t0\t1\t0\t0", line, "C\tU\tA\t3\t0\t1\t0\t0"}))
            << qPrintable(line);
        EXPECT_EQ(messages.Texts(), QStringList{ConversionError}) << qPrintable(line);
        // Entries before the bad line stay, nothing after it is read.
        ASSERT_EQ(table.Count(), 1);
        EXPECT_EQ(table.At(0).Address, 1);
    }
}

TEST_F(DeviceConfigurationTest, DuplicateAddressIsReportedAndDropped) {
    ASSERT_TRUE(LoadLines({"First\tU\tA\t100\t0\t1\t5\t0", "Second\tU\tA\t100\t0\t1\t6\t0",
                           "Third\tU\tA\t101\t0\t1\t0\t0"}));
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.At(0).Name, "First");
    EXPECT_EQ(table.At(0).DefaultValue, 5);
    EXPECT_EQ(messages.Texts(),
              QStringList{"Error Opening Device Configuration File\rParameter Name: "
                          "Second\rDuplicate Address !\rParameter Ignored"});
}

TEST_F(DeviceConfigurationTest, CommentsAndBlankLinesAnywhere) {
    ASSERT_TRUE(Load(QByteArray("Kelm Devices Global Configuration File\n"
                                "B\tU\tA\t5\t0\t1\t0\t0\n" // second line is ignored even as data
                                "; comment\r\n"
                                "  \t\"quoted\tU\tA\t7\t0\t1\t0\t0\r\n"
                                "\r\n"
                                "   \t  \r\n"
                                "\t  A\tU\tA\t9\t0\t1\t0\t0\r\n"
                                "   ;\tU\tA\t8\t0\t1\t0\t0")));
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.At(0).Name, "A");
    EXPECT_EQ(table.At(0).Address, 9);
}

TEST_F(DeviceConfigurationTest, OutOfOrderLinesComeOutSorted) {
    ASSERT_TRUE(LoadLines(
        {"C\tU\tA\t30\t0\t1\t0\t0", "A\tU\tA\t10\t0\t1\t0\t0", "B\tU\tA\t20\t0\t1\t0\t0"}));
    EXPECT_EQ(table.At(0).Name, "A");
    EXPECT_EQ(table.At(1).Name, "B");
    EXPECT_EQ(table.At(2).Name, "C");
    EXPECT_EQ(table.FindByAddress(20)->Name, "B");
}

TEST_F(DeviceConfigurationTest, OverLongDataLineIsAConversionError) {
    // 99 characters exactly still load; one more could have cut a number short.
    const QString prefix = "A\tU\tA\t1\t0\t1\t0\t";
    const QString fits = prefix + QString(99 - prefix.size(), u'0');
    ASSERT_EQ(fits.size(), 99);
    EXPECT_TRUE(LoadLines({fits}));
    table.Clear();
    EXPECT_FALSE(LoadLines({"B\tU\tA\t1\t0\t1\t0\t1" + QString(100, u' ')}));
    EXPECT_EQ(messages.Texts(), QStringList{ConversionError});
}

TEST_F(DeviceConfigurationTest, OverLongCommentAndCaptionLinesAreHarmless) {
    EXPECT_TRUE(Load(
        CrLf({Header, QString(300, u'x'), ";" + QString(300, u'y'), "A\tU\tA\t1\t0\t1\t0\t0"})));
    EXPECT_EQ(table.Count(), 1);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

} // namespace
} // namespace kelm
