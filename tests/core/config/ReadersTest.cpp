// The readers of the small configuration files: alarm texts, digital I/O strings, analog-out
// labels, bootloader records, homing descriptors and oscilloscope scales.
#include "ConfigFixtures.h"
#include "core/config/AlarmTexts.h"
#include "core/config/AnalogOutLabels.h"
#include "core/config/BootloaderRecords.h"
#include "core/config/HomingDescriptors.h"
#include "core/config/IoStrings.h"
#include "core/config/ScopeScales.h"
#include "core/seams/RecordingMessages.h"

#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace kelm {
namespace {

class ReaderTest : public ::testing::Test {
protected:
    // Writes the lines (CR LF) to a file of that name in a private folder; returns its path.
    QString File(const QString& name, const QStringList& lines) {
        test::WriteFixture(dir.path(), name, lines);
        return dir.filePath(name);
    }
    AlarmTextLists LoadAlarms(const QStringList& lines) {
        return LoadAlarmTexts(File("strall.dll", lines));
    }
    bool LoadIo(const QStringList& dataLines) {
        return LoadIoStrings(
            File("digIO.dll", QStringList{IoStringsHeader, "captions"} + dataLines),
            DeviceKind::Std, groups);
    }
    bool LoadHoming(const QStringList& lines) {
        return LoadHomingDescriptors(File("Homing.dll", lines), "Homing.dll", homing);
    }
    bool LoadScales(const QStringList& lines) {
        return LoadScopeScales(File("Osci.dll", lines), "Osc.dll", scales);
    }
    QTemporaryDir dir;
    RecordingMessages messages;
    IoGroups groups;
    HomingDescriptors homing;
    ScopeScaleSet scales;
};

constexpr int Std = 0, Power = 1, Drive = 2, Orca = 3;

TEST_F(ReaderTest, AlarmTextsMissingForeignOrEmptyFileGivesDefaults) {
    const AlarmTextLists results[] = {
        LoadAlarmTexts(dir.filePath("strall.dll")),
        LoadAlarms({"Kelm Allarms Messages Configuration File v2", "1\tA\tB\tC\tD"}),
        LoadAlarms({})};
    for (const AlarmTextLists& lists : results) {
        for (int kind : {Std, Power, Drive}) {
            ASSERT_EQ(lists[kind].size(), 32);
            EXPECT_EQ(lists[kind][0] + "|" + lists[kind][31], "1 Alarm nr. 1|32 Alarm nr. 32");
        }
        EXPECT_TRUE(lists[Orca].isEmpty());
    }
    const QString fatal = "Fatal Error Opening Allarms Messages\rLoad Defaut Message\r" +
                          dir.filePath("strall.dll") + ", line 1";
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open Allarms Messages Configuration File\rLoad Defaut Message",
                           fatal, fatal}));
    EXPECT_EQ(messages.TerminateCount(), 0);
}

// Per line: the number, then the Std, Power, Drive and Orca 230 texts.
TEST_F(ReaderTest, AlarmTextsColumnsPerKindDefaultsForGapsTextsCutToThirtyCharacters) {
    const auto D = [](int n) { return DefaultAlarmText(n); };
    const QString t45(45, u'x'), x30(30, u'x'), H = AlarmTextsHeader;
    const std::pair<QStringList, std::array<QStringList, 4>> cases[] = {
        // Trimmed header; comments, blank and tab-less lines skipped; leading blanks removed.
        {{"  " + H + " \t", "; comment", "", "1\tS1\tP1\tD1\tO1\textra", "no tab here",
          "  2\t  S2\tP2\tD2"},
         {{{"S1", "S2"}, {"P1", "P2"}, {"D1", "D2"}, {"O1"}}}},
        // Numbers out of step get defaults; a line without a number is not read.
        {{H, "1\tA\tA\tA", "2\tB\tB\tB", "4\tD\tD\tD", "5\tE\tE\tE", "x\tF\tF\tF"},
         {{{"A", "B", D(3), D(4), D(5)},
           {"A", "B", D(3), D(4), D(5)},
           {"A", "B", D(3), D(4), D(5)},
           {}}}},
        // An empty column gets its default; the Orca 230 has none.
        {{H, "1\ta\tb\tc\t", "2\ta\tb\tc\tOrca2", "3\ta\tb\tc\td", "4\ta\tb\tc\td",
          "5\t\tPower5\tDrive5\tOrca5  "},
         {{{"a", "a", "a", "a", D(5)},
           {"b", "b", "b", "b", "Power5"},
           {"c", "c", "c", "c", "Drive5"},
           {"Orca2", "d", "d", "Orca5"}}}},
        {{H, "1\t " + t45 + "\t" + t45, "2\t\t\t" + t45 + "\t" + t45 + " "},
         {{{x30, D(2)}, {x30, D(2)}, {D(1), x30}, {x30}}}},
        // A line beyond the reader's limit is cut, its rest is not read as another line.
        {{H, "1\tS\tP\tD\t" + QString(200, u'o'), "2\tS2\tP2\tD2"},
         {{{"S", "S2"}, {"P", "P2"}, {"D", "D2"}, {QString(30, u'o')}}}}};
    for (const auto& [lines, expected] : cases) {
        const AlarmTextLists lists = LoadAlarms(lines);
        EXPECT_EQ((std::array{lists[Std], lists[Power], lists[Drive], lists[Orca]}), expected)
            << qPrintable(lines.join('|'));
    }
    EXPECT_TRUE(messages.Texts().isEmpty());
}

const QString Fatal = "Fatal Error Opening Digital I/O Strings\rApplication Terminate!\r";

TEST_F(ReaderTest, IoStringsMissingFileMessagesPerKindAndForeignHeader) {
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230})
        EXPECT_FALSE(LoadIoStrings(dir.filePath(IoStringsFileName(kind)), kind, groups));
    EXPECT_FALSE(LoadIoStrings(File("digIO.dll", {"Kelm Digital", "x"}), DeviceKind::Std, groups));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open DigIO.dll File\rApplication Terminate!",
                           "Fail to Open DigIO_Tarn.dll File\rApplication Terminate!",
                           "Fail to Open DigIO_Orca.dll File\rApplication Terminate!",
                           Fatal + dir.filePath("digIO.dll") + ", line 1"}));
}

// A group as text: its caption, then per item the text, * for the flag, ~ for a range and
// the three numbers.
QString Text(const IoGroup& group) {
    QString text = group.Caption;
    for (const IoItem& i : group.Items)
        text += QString("|%1%2%3 %4 %5 %6")
                    .arg(i.Text, i.ItemFlag ? "*" : "", i.HasRange ? "~" : "")
                    .arg(i.Number1)
                    .arg(i.Number2)
                    .arg(i.Number3);
    return text;
}

// In a single-item group a line starting with a tab is the next group, not a continuation;
// in a multi-item group it continues the group (its Multi column is not read). Groups after
// the thirteenth are not read; a file without any leaves all empty.
TEST_F(ReaderTest, IoStringsSingleAndMultiItemGroupsAtMostThirteen) {
    ASSERT_TRUE(LoadIo({"; comment", "no tab", "", "  In 1\t0\t1\tHome\t4\t0\t7  ",
                        "Out 1\t0\t0\t\t-2\t0\t0", "\tSecond\t0\t0\tB\t2\t0\t0"}));
    EXPECT_EQ(Text(groups[0]) + "/" + Text(groups[1]) + "/" + Text(groups[2]),
              "In 1|Home*~ 4 0 7/Out 1| -2 0 0/Second|B 2 0 0");
    for (int i = 3; i < IoGroupCount; ++i)
        EXPECT_EQ(Text(groups[i]), "") << i;
    ASSERT_TRUE(LoadIo({"Inputs\t1\t0\tNone\t0\t0\t0", "\t\t1\tEnable\t1\t0\t0", "; between",
                        "  \t1\t0\tLimit\t2\t3\t0", "Outputs\t1\t0\tReady\t5\t0\t0",
                        "\tx\t0\tFault\t6\t0\t0"}));
    EXPECT_EQ(Text(groups[0]) + "/" + Text(groups[1]),
              "Inputs|None 0 0 0|Enable* 1 0 0|Limit~ 2 3 0/Outputs|Ready 5 0 0|Fault 6 0 0");
    ASSERT_TRUE(LoadIo({"; nothing", ""}));
    EXPECT_EQ(Text(groups[0]), "");
    QStringList lines;
    for (int i = 0; i < 15; ++i)
        lines << QString("G%1\t0\t0\tT\t%1\t0\t0").arg(i);
    ASSERT_TRUE(LoadIo(lines << "bad\tline"));
    EXPECT_EQ(Text(groups[12]), "G12|T 12 0 0");
}

TEST_F(ReaderTest, IoStringsConversionErrorsAndOverLongLinesAreFatal) {
    const QStringList bad = {"G\tx\t0\tT\t1\t0\t0", "G\t0\t0\tT\t1\t0", "G\t0\t0\tT\t1\t0\t2b",
                             "G\t0\t\tT\t1\t0\t0", "G\t0\t0\t" + QString(90, u'T') + "\t1\t0\t0"};
    for (const QString& line : bad) {
        messages.Clear();
        EXPECT_FALSE(LoadIo({"Ok\t0\t0\tT\t1\t0\t0", line})) << qPrintable(line);
        EXPECT_EQ(messages.Texts(), QStringList{Fatal + dir.filePath("digIO.dll") + ", line 4"})
            << qPrintable(line);
        EXPECT_TRUE(groups[0].Items.empty()); // nothing half-loaded stays
    }
    messages.Clear();
    EXPECT_FALSE(LoadIo({"Multi\t1\t0\tT\t1\t0\t0", "\t\t0\tT\tnine\t0\t0"}));
    EXPECT_EQ(messages.Texts(), QStringList{Fatal + dir.filePath("digIO.dll") + ", line 4"});
}

TEST_F(ReaderTest, AnalogLabelsTwoColumnsFromTheSecondLineNoneIfMissingOrForeign) {
    AnalogOutLabels labels;
    const auto load = [&](const QStringList& lines) {
        return LoadAnalogOutLabels(File("StrMon.dll", lines), "StrMon.dll", labels);
    };
    ASSERT_TRUE(load({"Kelm Analog Outs Labels", "Speed\tCurrent", "Torque", "; c\td",
                      "  Id \t Iq \tthird", "\"x\ty", "", "Empty\t"}));
    EXPECT_EQ(labels.First + labels.Second,
              (QStringList{"Speed", "Id ", "Empty", "Current", " Iq ", ""}));
    EXPECT_TRUE(messages.Texts().isEmpty());
    // A missing or foreign file leaves no label.
    EXPECT_FALSE(LoadAnalogOutLabels(dir.filePath("none.dll"), "StrMon.dll", labels) ||
                 !labels.IsEmpty());
    EXPECT_FALSE(load({"Kelm Analog", "A\tB"}) || !labels.IsEmpty());
    EXPECT_EQ(messages.Texts(), (QStringList{"Fail to Open StrMon.dll File\rLoad Default Data!",
                                             "Fatal Error in StrMon.dll\rLoad Default Data!\r" +
                                                 dir.filePath("StrMon.dll") + ", line 1"}));
    EXPECT_EQ(messages.TerminateCount(), 0);
}

// Line 3 is the Drive's record, line 4 the Orca 230's; what is missing or foreign is silently
// empty (only an exact header, after trimming, is accepted).
TEST_F(ReaderTest, BootloaderRecordsMissingOrForeignAreSilent) {
    const QString H = "Kelm bootloader configuration file";
    const auto text = [](const BootloaderRecord& r) {
        return QString("%1 %2 %3").arg(r.First).arg(r.Second).arg(r.Text);
    };
    const std::pair<QStringList, QString> cases[] = {
        {{" " + H + " ", "c", "Drive\t1\t70000\tTarn.exe\tignored", "Orca\t3\t4\tOrca.exe"},
         "1 4464 Tarn.exe|3 4 Orca.exe"},
        {{H, "c", "  ", "Orca\t3\t4\tOrca.exe"}, "0 0 |3 4 Orca.exe"}, // empty line 3
        {{H, "c", "Drive\tone\t2\tTarn.exe", "Orca\t3"}, "0 0 |0 0 "}, // not numbers
        {{H, "c", "D\t5\t6"}, "5 6 |0 0 "},                            // short file
        {{H + " 2", "c", "Drive\t1\t2\tT", "Orca\t3\t4\tO"}, "0 0 |0 0 "}};
    for (const auto& [lines, expected] : cases) {
        const BootloaderRecords r = LoadBootloaderRecords(File("Btldr.dll", lines));
        EXPECT_EQ(text(r.Drive) + "|" + text(r.Orca230), expected) << qPrintable(lines.join('|'));
    }
    EXPECT_TRUE(LoadBootloaderRecords(dir.filePath("none.dll")).Drive.IsEmpty());
    EXPECT_TRUE(messages.Texts().isEmpty());
}

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

// Fields keep their width; indexes must fit the lists.
TEST_F(ReaderTest, HomingReadsNamesAndRecords) {
    ASSERT_TRUE(LoadHoming(Sections({Zeros, "; comment", "", "35\t1\t2\t1\t0\t1\t0\t1\t-1",
                                     "7\t2\t1\t0\t1\t0\t1\t0\t0\textra"})));
    EXPECT_EQ(homing.MethodNames, (QStringList{"No Homing", "Switch", "Index"}));
    EXPECT_EQ(homing.SensorNames, (QStringList{"NOpen", "NClosed"}));
    ASSERT_EQ(homing.Methods.size(), 3u);
    const HomingMethod& m = homing.Methods[1];
    EXPECT_EQ(std::tuple(m.Code, m.NameIndex, m.SensorIndex), std::tuple(35, 1, 2));
    EXPECT_EQ(Flags(m), (std::vector<bool>{true, false, true, false, true, true}));
    EXPECT_TRUE(homing.FindByCode(7)->NameIndex == 2 && homing.FindByCode(8) == nullptr);
    // The code is 16 bits wide, each flag one byte: 256 leaves a flag clear, 257 sets it.
    ASSERT_TRUE(
        LoadHoming(Sections({"65537\t0\t0\t256\t257\t512\t-256\t1\t0", "1\t3\t0" + Zeros.mid(5),
                             "2\t0\t3" + Zeros.mid(5), "3\t-1\t0" + Zeros.mid(5)})));
    ASSERT_EQ(homing.Methods.size(), 1u);
    EXPECT_EQ(homing.Methods[0].Code, 1); // 65537 keeps 1, the others name no entry
    EXPECT_EQ(Flags(homing.Methods[0]),
              (std::vector<bool>{false, true, false, false, true, false}));
    // An empty sensor list still allows sensor 0.
    ASSERT_TRUE(LoadHoming({"Kelm Homing Configuration File", "Method Descriptors", "None", "End",
                            "Sensor Descriptors", "End", "c", "c", Zeros}));
    EXPECT_EQ(homing.Methods.size(), 1u);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ReaderTest, HomingMissingAndDamagedFilesLeaveEmptyDescriptors) {
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
        EXPECT_FALSE(LoadHoming(lines)) << qPrintable(lines.join('|'));
        ASSERT_EQ(messages.Texts().size(), 1);
        EXPECT_TRUE(
            messages.Texts()[0].startsWith("Fatal Error in Homing.dll\rLoad Default Data!\r" +
                                           dir.filePath("Homing.dll") + ", line "))
            << qPrintable(lines.join('|'));
        EXPECT_TRUE(homing.IsEmpty());
    }
}

// Signal i as text: its name, then "caption=units per division" per scale.
QString Text(const ScopeSignal& signal) {
    QString text = signal.Name;
    for (const ScopeScale& scale : signal.Scales)
        text += "|" + scale.Caption + "=" + QString::number(scale.UnitsPerDivision);
    return text;
}

// An empty caption adds nothing, the next row does; "abc" is not a number; naming stops at
// the first empty name; a header alone gives no signal. Lines are read up to 399 characters:
// a field cut there is dropped, not read short.
TEST_F(ReaderTest, ScopeScalesSignalsAndRows) {
    ASSERT_TRUE(LoadScales({ScopeScalesHeader, " Speed \tx\tCurrent\t\tTorque",
                            "1 rpm\t1\t 1 A \t 10 \t1 Nm\t100", "; comment", "", "no tab",
                            "10 rpm\t70000\t\t5\t2 Nm\tabc", "\t\t2 A\t20"}));
    ASSERT_EQ(scales.size(), 3u);
    EXPECT_EQ(Text(scales[0]) + "/" + Text(scales[1]) + "/" + Text(scales[2]),
              "Speed|1 rpm=1|10 rpm=4464/Current|1 A=10|2 A=20/Torque|1 Nm=100");
    EXPECT_TRUE(messages.Texts().isEmpty());
    // A missing file leaves no signal (a foreign one is checked with the whole set).
    EXPECT_FALSE(LoadScopeScales(dir.filePath("Osci_Tarn.dll"), "Osc_Tarn.dll", scales));
    EXPECT_TRUE(scales.empty());
    EXPECT_EQ(messages.Texts(), QStringList{"Fail to Open Osc_Tarn.dll File"});
    ASSERT_TRUE(LoadScales({ScopeScalesHeader, "A\t\t\t\tC\t", "a\t1\tb\t2\tc\t3"}));
    EXPECT_TRUE(scales.size() == 1 && Text(scales[0]) == "A|a=1");
    EXPECT_TRUE(LoadScales({ScopeScalesHeader}) && scales.empty());
    const QString caption = "B" + QString(390, u'x');
    const QString fits = "A\t1\t" + caption + "\t123"; // 399 characters
    ASSERT_EQ(fits.size(), 399);
    ASSERT_TRUE(
        LoadScales({ScopeScalesHeader, "One\t\tTwo\t", fits, "A\t2\t" + caption + "\t123456"}));
    ASSERT_EQ(scales.size(), 2u);
    EXPECT_EQ(Text(scales[0]) + "/" + Text(scales[1]), "One|A=1|A=2/Two|" + caption + "=123");
}

} // namespace
} // namespace kelm
