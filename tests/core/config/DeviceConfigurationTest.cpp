#include "core/config/DeviceConfiguration.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::CrLf;

const QString Header = DeviceConfigurationHeader;
// The specified texts, then where: a buffer has no file name, only the line.
const QString HeaderError =
    "Fatal Error Opening Device Configuration File\rApplication Terminate!\rline 1";
const QString ConversionError = "Fatal Error Opening Device Configuration File\rConversione "
                                "Error\rApplication Terminate!\rline 4";

// A data line for address `address` with every other field valid.
QString Line(const QString& name, int address) {
    return name + QString("\tU\tA\t%1\t0\t1\t0\t0").arg(address);
}

class DeviceConfigurationTest : public ::testing::Test {
protected:
    bool Load(QByteArray bytes) {
        table.Clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return LoadConfiguration(table, buffer, Header, DeviceConfigurationErrorTitle);
    }
    bool LoadLines(const QStringList& dataLines) {
        return Load(CrLf(QStringList{Header, "captions"} + dataLines));
    }
    RecordingMessages messages;
    ParamTable table;
};

TEST_F(DeviceConfigurationTest, NonDataLinesAnywhereAreHarmless) {
    EXPECT_TRUE(LoadLines({}) && table.IsEmpty());
    // Trailing text after the header; over-long caption and comment lines; the second line is
    // ignored even as data; comments, quoted and blank lines among the data.
    EXPECT_TRUE(
        Load(CrLf({Header + " ", QString(300, u'x'), ";" + QString(300, u'y'), Line("A", 1)})));
    EXPECT_EQ(table.Count(), 1);
    ASSERT_TRUE(Load(QByteArray("Kelm Devices Global Configuration File\n"
                                "B\tU\tA\t5\t0\t1\t0\t0\n"
                                "; comment\r\n"
                                "  \t\"quoted\tU\tA\t7\t0\t1\t0\t0\r\n"
                                "\r\n"
                                "   \t  \r\n"
                                "\t  A\tU\tA\t9\t0\t1\t0\t0\r\n"
                                "   ;\tU\tA\t8\t0\t1\t0\t0")));
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(std::tuple(table.At(0).Name, table.At(0).Address), std::tuple(QString("A"), 9));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(DeviceConfigurationTest, ShortOrMissingHeaderIsFatal) {
    EXPECT_FALSE(Load(CrLf({"Kelm Devices", "x", Line("A", 1)})));
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_FALSE(Load(QByteArray()));
    EXPECT_EQ(messages.Texts(), (QStringList{HeaderError, HeaderError}));
    EXPECT_EQ(messages.Boxes().at(0).Caption, " Error");
    EXPECT_EQ(messages.BeepCount(), 2);
}

TEST_F(DeviceConfigurationTest, FieldsLettersFallBackAddressesWrapNamesAreCutLinesSorted) {
    const QString n19(19, u'a');
    ASSERT_TRUE(LoadLines({"A\tX\tZ\t70000\t0\t1\t0\t0", "B\tExpert\t\t-1\t0\t1\t0\t0",
                           "C\t\tD\t3\t0\t1\t0\t0", "D\tU\tN\t2\t0\t1\t0\t2", Line(n19, 5),
                           Line(QString(19, u'b') + "Z", 6), Line(QString(25, u'c'), 7),
                           "Speed\tE\tF\t12\t-5\t40000\t7\t 1 \tignored\tmore"}));
    ASSERT_EQ(table.Count(), 8);
    EXPECT_EQ(table.At(0).Name + table.At(1).Name, "DC"); // sorted by address
    const ParamEntry& e = *table.FindByAddress(12);       // every field, extra fields ignored
    EXPECT_EQ(std::tuple(e.Name, e.AccessLetter, e.KindLetter, e.MinValue, e.MaxValue,
                         e.DefaultValue, e.Compared),
              std::tuple(QString("Speed"), 'E', 'F', -5, -25536, 7, true));
    EXPECT_TRUE(e.Value == 0 && e.FileValue == 0 && e.DriveValue == 0);
    // Access, kind and comparison per address: unknown letters fall back to U and N, any
    // non-zero number compares.
    const auto letters = [&](std::uint16_t address) {
        const ParamEntry* e = table.FindByAddress(address);
        return std::tuple(e->AccessLetter, e->KindLetter, e->Compared);
    };
    EXPECT_EQ(letters(4464), std::tuple('U', 'N', false));
    EXPECT_EQ(letters(65535), std::tuple('E', 'N', false));
    EXPECT_EQ(letters(3), std::tuple('U', 'D', false));
    EXPECT_EQ(letters(2), std::tuple('U', 'N', true));
    EXPECT_EQ(table.FindByAddress(5)->Name + table.FindByAddress(6)->Name +
                  table.FindByAddress(7)->Name,
              n19 + QString(19, u'b') + QString(19, u'c'));
}

TEST_F(DeviceConfigurationTest, ConversionErrorsStopTheLoad) {
    const QString prefix = "A\tU\tA\t2\t0\t1\t0\t";
    const QString fits = prefix + QString(99 - prefix.size(), u'0'); // 99 characters load
    EXPECT_TRUE(LoadLines({Line("A", 1), fits}));
    const QStringList bad = {
        "B\tU\tA\t2\t0\t1\t0",      // six tabs
        "B\tU\tA\t2\t12a\t1\t0\t0", // non-numeric
        "B\tU\tA\t\t0\t1\t0\t0",    // empty address
        "B\tU\tA\t2\t0\t1\t0\t",    // empty comparison field
        "B\tU\tA\t2\t0\t1 \t0\t0",  // text after the digits
        "NoTabsAtAll",
        "B\tU\tA\t2\t0\t1\t0\t99999999999999999999",   // beyond any integer
        "B\tU\tA\t2\t0\t1\t0\t1" + QString(100, u' '), // over-long: a number may be cut
    };
    for (const QString& line : bad) {
        messages.Clear();
        EXPECT_FALSE(LoadLines({Line("A", 1), line, Line("C", 3)})) << qPrintable(line);
        EXPECT_EQ(messages.Texts(), QStringList{ConversionError}) << qPrintable(line);
        // Entries before the bad line stay, nothing after it is read.
        ASSERT_EQ(table.Count(), 1);
        EXPECT_EQ(table.At(0).Address, 1);
    }
}

TEST_F(DeviceConfigurationTest, DuplicateAddressIsReportedAndDropped) {
    ASSERT_TRUE(LoadLines(
        {"First\tU\tA\t100\t0\t1\t5\t0", "Second\tU\tA\t100\t0\t1\t6\t0", Line("Third", 101)}));
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(std::tuple(table.At(0).Name, table.At(0).DefaultValue),
              std::tuple(QString("First"), std::int16_t{5}));
    EXPECT_EQ(messages.Texts(),
              QStringList{"Error Opening Device Configuration File\rParameter Name: "
                          "Second\rDuplicate Address !\rParameter Ignored\rline 4"});
    // Many duplicates make one message, not one box each.
    QStringList many{Line("A", 1)};
    for (int i = 0; i < 20; ++i)
        many << Line(QString("D%1").arg(i), 1);
    messages.Clear();
    ASSERT_TRUE(LoadLines(many));
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].startsWith("Error Opening Device Configuration File\rParameter "
                                               "Name: D0 (line 4)\rParameter Name: D1 (line 5)\r"));
    EXPECT_TRUE(messages.Texts()[0].endsWith(
        "D9 (line 13)\rDuplicate Address !\rParameter Ignored\r20 lines ignored, the first 10 "
        "listed."));
}

} // namespace
} // namespace kelm
