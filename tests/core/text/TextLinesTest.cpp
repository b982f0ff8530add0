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
        if (cuts)
            cuts->append(reader.LastLineCut());
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
    EXPECT_EQ(lines, (QStringList{QString(exact), QString(99, u'y'), "next"}));
    EXPECT_EQ(cuts, (QList<bool>{false, true, false}));
    cuts.clear(); // 100 characters and a CR: the CR does not hide the cut
    EXPECT_EQ(ReadAll(QByteArray(100, 'a') + "\r\nb", 99, &cuts),
              (QStringList{QString(99, u'a'), "b"}));
    EXPECT_EQ(cuts, (QList<bool>{true, false}));
    // A very long last line without a line end.
    EXPECT_EQ(ReadAll(QByteArray(100000, 'q'), 10), QStringList{QString(10, u'q')});
}

TEST(TextHelpersTest, BlanksTrimSkippableAndSplit) {
    EXPECT_TRUE(IsBlank(QChar(0)) && IsBlank(QChar(32)));
    EXPECT_FALSE(IsBlank(QChar(33)) || IsBlank(QChar(0xA0)));
    EXPECT_EQ(QStringList({TrimLeft(QString(" \t") + QChar(1) + "ab "), TrimRight(" ab\t\r"),
                           Trim("\t a b \t"), Trim("   ")}),
              QStringList({"ab ", " ab", "a b", ""}));
    for (const char* line : {"", " \t ", "; comment", "\t\"quoted"})
        EXPECT_TRUE(IsSkippable(line)) << line;
    EXPECT_FALSE(IsSkippable(" a;b"));
    EXPECT_EQ(SplitFields("a\t\tb\t"), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(SplitFields(""), QStringList{""});
}

TEST(TextHelpersTest, ParseIntegerSyntax) {
    EXPECT_EQ(
        (std::vector{ParseInteger("12"), ParseInteger("  -7"), ParseInteger("+7"),
                     ParseInteger("9223372036854775807"), ParseInteger("-9223372036854775808")}),
        (std::vector<std::optional<long long>>{12, -7, 7, std::numeric_limits<long long>::max(),
                                               std::numeric_limits<long long>::min()}));
    for (const char* bad : {"", " ", "-", "+", "12a", "1 ", "a1", "1.5", "--1", "0x10",
                            "9223372036854775808", "-9223372036854775809"})
        EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
    // 16-bit readings keep the low bits.
    EXPECT_EQ(std::tuple(ParseUInt16("70000"), ParseUInt16("-1")), std::tuple(4464, 65535));
    EXPECT_EQ(std::tuple(ParseInt16("40000"), ParseInt16("-32768"), ParseInt16("65535")),
              std::tuple(-25536, -32768, -1));
    EXPECT_FALSE(ParseInt16("12a").has_value() || ParseUInt16("").has_value());
}

TEST(TextHelpersTest, HeaderOrder) {
    const QString header = "Kelm Devices Global Configuration File";
    // A line sorting at or after the header is accepted; lower case sorts after.
    EXPECT_TRUE(HeaderAccepted(header, header) && HeaderAccepted(header + " ", header) &&
                HeaderAccepted("Z", header) && HeaderAccepted("kelm", "Kelm") &&
                HeaderAccepted(QString::fromLatin1("Kelm\xe9"), "Kelmz"));
    EXPECT_FALSE(HeaderAccepted("Kelm Devices", header) || HeaderAccepted("", header));
}

TEST(TextHelpersTest, WriteLineEndsEachLineWithCrLfInLatin1) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteLine(buffer, QString::fromLatin1("a\xe9"));
    WriteLine(buffer, "");
    EXPECT_EQ(buffer.data(), QByteArray("a\xe9\r\n\r\n"));
}

} // namespace
} // namespace kelm
