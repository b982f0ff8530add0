#include "core/text/TextLines.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace kelm {
namespace {

QStringList ReadAll(const QByteArray& bytes, int maxChars = DefaultMaxLineChars,
                    QList<bool>* cuts = nullptr) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, maxChars);
    QStringList lines;
    QString line;
    while (reader.ReadLine(line)) {
        lines << line;
        if (cuts) {
            cuts->append(reader.LastLineCut());
        }
    }
    EXPECT_TRUE(reader.AtEnd());
    return lines;
}

TEST(LineReaderTest, SplitsAtCrLfAndLfKeepsLoneCrReadsLatin1) {
    EXPECT_EQ(ReadAll("a\r\nb\nc"), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(ReadAll("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(ReadAll("").isEmpty());
    EXPECT_EQ(ReadAll("\n"), QStringList{""});
    EXPECT_EQ(ReadAll("a\rb\r\n"), QStringList{"a\rb"});
    EXPECT_EQ(ReadAll("caf\xe9\r\n"), QStringList{QString::fromLatin1("caf\xe9")});
    // A UTF-8 byte-order mark only at the very start is no text.
    EXPECT_EQ(ReadAll(QByteArray("\xEF\xBB\xBF") + "a\n\xEF\xBB\xBF"),
              (QStringList{"a", QString::fromLatin1("\xEF\xBB\xBF")}));
}

TEST(LineReaderTest, LongLineIsCutAndRestSkipped) {
    const QByteArray exact(99, 'x');
    const QByteArray longer = QByteArray(99, 'y') + "ZZZ";
    QList<bool> cuts;
    const QStringList lines = ReadAll(exact + "\r\n" + longer + "\r\nnext\n", 99, &cuts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString(exact));
    EXPECT_EQ(lines[1], QString(QByteArray(99, 'y')));
    EXPECT_EQ(lines[2], "next");
    EXPECT_EQ(cuts, (QList<bool>{false, true, false}));
    cuts.clear(); // 100 characters and a CR: the CR does not hide the cut
    EXPECT_EQ(ReadAll(QByteArray(100, 'a') + "\r\nb", 99, &cuts),
              (QStringList{QString(99, u'a'), "b"}));
    EXPECT_EQ(cuts, (QList<bool>{true, false}));
    // A very long last line without a line end.
    EXPECT_EQ(ReadAll(QByteArray(100000, 'q'), 10), QStringList{QString(10, u'q')});
}

TEST(LineReaderTest, DoesNotReadPastLineEnd) {
    QByteArray data = "first\r\nsecond\r\n";
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    QString line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(buffer.pos(), 7);
    EXPECT_FALSE(reader.AtEnd());
}

TEST(TextHelpersTest, BlanksTrimSkippableAndSplit) {
    EXPECT_TRUE(IsBlank(QChar(0)) && IsBlank(QChar(32)));
    EXPECT_FALSE(IsBlank(QChar(33)) || IsBlank(QChar(0xA0)));
    EXPECT_EQ(TrimLeft(" \t\x01"
                       "ab "),
              "ab ");
    EXPECT_EQ(TrimRight(" ab\t\r"), " ab");
    EXPECT_EQ(Trim("\t a b \t"), "a b");
    EXPECT_EQ(Trim("   "), "");
    for (const char* line : {"", " \t ", "; comment", "\t\"quoted"})
        EXPECT_TRUE(IsSkippable(line)) << line;
    EXPECT_FALSE(IsSkippable(" a;b"));
    EXPECT_EQ(SplitFields("a\t\tb\t"), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(SplitFields(""), QStringList{""});
}

TEST(TextHelpersTest, ParseIntegerSyntax) {
    EXPECT_EQ(ParseInteger("12"), 12);
    EXPECT_EQ(ParseInteger("  -7"), -7);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(ParseInteger("-9223372036854775808"), std::numeric_limits<long long>::min());
    for (const char* bad : {"", " ", "-", "+", "12a", "1 ", "a1", "1.5", "--1", "0x10",
                            "9223372036854775808", "-9223372036854775809"}) {
        EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
    }
    // 16-bit readings keep the low bits.
    EXPECT_EQ(ParseUInt16("70000"), 4464);
    EXPECT_EQ(ParseUInt16("-1"), 65535);
    EXPECT_EQ(ParseInt16("40000"), -25536);
    EXPECT_EQ(ParseInt16("-32768"), -32768);
    EXPECT_EQ(ParseInt16("65535"), -1);
    EXPECT_FALSE(ParseInt16("12a").has_value());
    EXPECT_FALSE(ParseUInt16("").has_value());
}

TEST(TextHelpersTest, HeaderOrder) {
    const QString header = "Kelm Devices Global Configuration File";
    EXPECT_TRUE(HeaderAccepted(header, header));
    EXPECT_TRUE(HeaderAccepted(header + " ", header));
    EXPECT_TRUE(HeaderAccepted("Z", header));
    EXPECT_FALSE(HeaderAccepted("Kelm Devices", header));
    EXPECT_FALSE(HeaderAccepted("", header));
    EXPECT_TRUE(HeaderAccepted("kelm", "Kelm")); // lower case sorts after
    EXPECT_TRUE(HeaderAccepted(QString::fromLatin1("Kelm\xe9"), "Kelmz"));
}

TEST(TextHelpersTest, WriteLineUsesCrLfLatin1) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    WriteLine(buffer, QString::fromLatin1("a\xe9"));
    WriteLine(buffer, "");
    EXPECT_EQ(data, QByteArray("a\xe9\r\n\r\n"));
}

} // namespace
} // namespace kelm
