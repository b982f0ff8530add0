#include "FileTestSupport.h"

#include "core/files/ScopeFile.h"

#include <optional>

using namespace kelm;
using namespace kelm::testing;

namespace {

ScopeRecording SampleRecording() {
    ScopeRecording r;
    r.TriggerSlope = 1;
    r.TriggerLevel = -250;
    r.TimeBase = "10 ms/div";
    r.Delay = 20;
    r.Channels[0] = {true, "Speed", "1000 RPM/div", -3};
    r.Channels[1] = {false, "Current", "2 A/div", 0};
    r.LeftIncrement = 1000;
    r.RightIncrement = 2.5;
    r.BottomIncrement = 0.25;
    r.Points = {{0, 1.5, -2}, {0.1, -0.04, 1234.56}, {0.2, 3, 0}};
    return r;
}

using ScopeFileTest = FileTest;

} // namespace

TEST_F(ScopeFileTest, LayoutWithCommaDecimalsRoundTripsIndependentOfProcessLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale("de_DE"));
    ASSERT_TRUE(WriteScopeFile(SampleRecording(), Path("s.kls"), FixedStamp()));
    QLocale::setDefault(QLocale::c());
    const QString stars = QString(77, u'*') + "\r\n";
    EXPECT_EQ(QString::fromLatin1(ReadBytes(Path("s.kls"))),
              "Kelm Industries\r\nOscilloscope Data File\r\n"
              "Generated on: Sunday  07/03/2027 09:05:03\r\n" +
                  stars + "Trigger Slope\t1\r\nTrigger Level\t-250\r\n" + stars +
                  "Time Base\t10 ms/div\r\nDelay\t20\r\n" + stars +
                  "\t\t\tChannel 1\r\nEnabled\t1\r\nSignal\tSpeed\r\nScale\t1000 RPM/div\r\n"
                  "Offset\t-3\r\n" +
                  stars +
                  "\t\t\tChannel 2\r\nEnabled\t0\r\nSignal\tCurrent\r\nScale\t2 A/div\r\n"
                  "Offset\t0\r\n" +
                  stars +
                  "\t\t\tGraph\r\nLeft Axis Increment\t1000,0\r\nRight Axis Increment\t2,5\r\n"
                  "Bottom Axis Increment\t0,3\r\nGraph Data Nr. Points\t3\r\nGraph Data\r\n"
                  "0\t0,0\t1,5\t-2,0\r\n1\t0,1\t0,0\t1234,6\r\n2\t0,2\t3,0\t0,0\r\n");

    ScopeRecording r;
    const ScopeReadResult result = ReadScopeFile(Path("s.kls"), r);
    EXPECT_EQ(QLocale().decimalPoint(), "."); // the process locale is left alone
    QLocale::setDefault(before);

    EXPECT_TRUE(result.Ok && result.Reached == ScopeSection::Data);
    EXPECT_EQ(r.GeneratedOn, "Generated on: Sunday  07/03/2027 09:05:03");
    ASSERT_EQ(r.Points.size(), 3u);
    // Read as written, with one decimal.
    EXPECT_EQ(std::tuple(r.Points[1].X, r.Points[1].Y2, r.BottomIncrement),
              std::tuple(0.1, 1234.6, 0.3));
    // Every field read back writes the same file again.
    ASSERT_TRUE(WriteScopeFile(r, Path("again.kls"), FixedStamp()));
    EXPECT_EQ(ReadBytes(Path("again.kls")), ReadBytes(Path("s.kls")));
    // Channels off and no points read back empty ("Signal" + TAB + nothing).
    ASSERT_TRUE(WriteScopeFile(ScopeRecording{}, Path("e.kls")));
    EXPECT_EQ(ReadScopeFile(Path("e.kls"), r).Reached, ScopeSection::Data);
    EXPECT_TRUE(r.Points.empty() && !r.Channels[0].Enabled && r.Channels[0].Signal.isEmpty());
    EXPECT_TRUE(messages.Texts().isEmpty());
}

// One line of the sample file replaced (or, without text, removed; one past the end: added).
// Keys are not compared and heading blanks are accepted; extra data lines are not read,
// missing or bad ones end with a data error; a failing section stops the read with the
// earlier sections applied, nothing of the failing one, and no point touched before the data.
TEST_F(ScopeFileTest, ToleratedEditsDataErrorsAndSectionFailures) {
    using enum ScopeSection;
    struct Case {
        int line;
        std::optional<QString> text;
        ScopeSection reached;
        QString message;
        std::size_t points;
    };
    const Case cases[] = {
        {0, "  Kelm Industries ", Data, "", 3},
        {1, "\tOscilloscope Data File  ", Data, "", 3},
        {4, "Trigger Slpoe\t1", Data, "", 3},
        {8, "Dealy\t 20 ", Data, "", 3},
        {31, "3\t9,9\t9,9\t9,9", Data, "", 3},
        {30, std::nullopt, GraphSettings, "Error Data Graph", 2},
        {29, "1\t0,1\t0.5\t2", GraphSettings, "Error Data Graph", 1},
        {30, "2\t0,2\t3,0", GraphSettings, "Error Data Graph", 2},
        // A huge announced count only reads what is there.
        {26, "Graph Data Nr. Points\t2000000000", GraphSettings, "Error Data Graph", 3},
        {4, "Trigger Slope\tup", Heading, "Error Trigger", 1},
        {8, "Delay\t2x", Trigger, "Error Time Base", 1},
        {11, "Enabled\tyes", TimeBase, "Error Channel 1", 1},
        {20, "Offset\t", Channel1, "Error Channel 2", 1},
        {23, "Left Axis Increment\t1.5", Channel2, "Error Data Graph Settings", 1},
        {26, "Graph Data Nr. Points\t-1", Channel2, "Error Data Graph Settings", 1},
    };
    ASSERT_TRUE(WriteScopeFile(SampleRecording(), Path("s.kls"), FixedStamp()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QStringList lines = QString::fromLatin1(ReadBytes(Path("s.kls"))).chopped(2).split("\r\n");
        if (!c.text)
            lines.removeAt(c.line);
        else if (c.line == lines.size())
            lines << *c.text;
        else
            lines[c.line] = *c.text;
        WriteBytes(Path("e.kls"), lines.join("\r\n").toLatin1() + "\r\n");
        messages.Clear();
        ScopeRecording r;
        r.Points = {{7, 7, 7}};
        const ScopeReadResult result = ReadScopeFile(Path("e.kls"), r);
        EXPECT_EQ(std::tuple(result.Ok, result.Reached),
                  std::tuple(c.reached >= GraphSettings, c.reached));
        EXPECT_EQ(messages.Texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(std::tuple(r.Points.size(), r.TriggerSlope, r.TriggerLevel, r.Delay,
                             r.Channels[0].Signal, r.Channels[1].Signal, r.LeftIncrement),
                  std::tuple(c.points, c.reached >= Trigger ? 1 : 0,
                             c.reached >= Trigger ? -250 : 0, c.reached >= TimeBase ? 20 : 0,
                             QString(c.reached >= Channel1 ? "Speed" : ""),
                             QString(c.reached >= Channel2 ? "Current" : ""),
                             c.reached >= GraphSettings ? 1000.0 : 0.0));
    }
}

TEST_F(ScopeFileTest, HeaderErrorsAndMissingFile) {
    ScopeRecording r;
    EXPECT_EQ(ReadScopeFile(Path("none.kls"), r).Reached, ScopeSection::None);
    EXPECT_EQ(messages.Texts(), QStringList{"Unable open: " + Path("none.kls")});

    const QByteArray bad[] = {
        "", "Kelm Industries\r\n", "Kelm Industries\r\nDevice Configuration File\r\n",
        "Kelm\r\nOscilloscope Data File\r\n",
        // Blanks would be trimmed, but the line is cut: refused.
        "Kelm Industries" + QByteArray(200, ' ') + "\r\nOscilloscope Data File\r\n"};
    for (const QByteArray& bytes : bad) {
        messages.Clear();
        WriteBytes(Path("h.kls"), bytes);
        const ScopeReadResult result = ReadScopeFile(Path("h.kls"), r);
        EXPECT_FALSE(result.Ok || result.Reached != ScopeSection::None);
        EXPECT_EQ(messages.Texts(), QStringList{"Header file error"});
    }
    messages.Clear();
    WriteBytes(Path("t.kls"), "Kelm Industries\nOscilloscope Data File\nGenerated on: x\n");
    EXPECT_EQ(ReadScopeFile(Path("t.kls"), r).Reached, ScopeSection::Heading);
    EXPECT_EQ(r.GeneratedOn, "Generated on: x");
    EXPECT_EQ(messages.Texts(), QStringList{"Error Trigger"});
}

TEST(ScopeNumbers, CommaDecimalFormattingParsingAndAxisRanges) {
    const std::pair<double, const char*> formatted[] = {{0, "0,0"},      {0.25, "0,3"},
                                                        {-1.25, "-1,3"}, {-0.04, "0,0"},
                                                        {12, "12,0"},    {std::nan(""), "0,0"}};
    for (const auto& [value, text] : formatted)
        EXPECT_EQ(FormatCommaDecimal(value), text) << value;
    const std::pair<const char*, double> parsed[] = {
        {"1,5", 1.5}, {" -0,5 ", -0.5}, {"+3", 3.0}, {",5", 0.5}, {"2,", 2.0}, {"1,5E2", 150.0}};
    for (const auto& [text, value] : parsed)
        EXPECT_EQ(ParseCommaDecimal(text), value) << text;
    for (const char* bad : {"", "1.5", "1,5x", "1,,5", "nan", "inf", "1 000,0", "-", ","})
        EXPECT_FALSE(ParseCommaDecimal(bad).has_value()) << bad;
    EXPECT_DOUBLE_EQ(VerticalAxisRange(100).Min, -500.1);
    EXPECT_EQ(
        std::tuple(VerticalAxisRange(100).Max, TimeAxisRange(2.5).Min, TimeAxisRange(2.5).Max),
        std::tuple(500.0, 0.0, 25.0));
}
