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

// A private folder for the file under test and the messages shown while reading it.
class ReaderTest : public ::testing::Test {
protected:
    // Writes the lines (CR LF) to a file of that name and returns its path.
    QString File(const QString& name, const QStringList& lines) {
        test::WriteFixture(dir.path(), name, lines);
        return dir.filePath(name);
    }
    QTemporaryDir dir;
    RecordingMessages messages;
};

constexpr int Std = 0, Power = 1, Drive = 2, Orca = 3;

struct AlarmTextsTest : ReaderTest {
    AlarmTextLists Load(const QStringList& lines) {
        return LoadAlarmTexts(File("strall.dll", lines));
    }
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

// Per line: the number, then the Std, Power, Drive and Orca 230 texts.
TEST_F(AlarmTextsTest, ColumnsPerKindDefaultsForGapsTextsCutToThirtyCharacters) {
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
        const AlarmTextLists lists = Load(lines);
        EXPECT_EQ((std::array{lists[Std], lists[Power], lists[Drive], lists[Orca]}), expected)
            << qPrintable(lines.join('|'));
    }
    EXPECT_TRUE(messages.Texts().isEmpty());
}

const QString Fatal = "Fatal Error Opening Digital I/O Strings\rApplication Terminate!";

struct IoStringsTest : ReaderTest {
    bool Load(const QStringList& dataLines) {
        return LoadIoStrings(
            File("digIO.dll", QStringList{IoStringsHeader, "captions"} + dataLines),
            DeviceKind::Std, groups);
    }
    IoGroups groups;
};

TEST_F(IoStringsTest, MissingFileMessagesPerKindAndForeignHeader) {
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230})
        EXPECT_FALSE(LoadIoStrings(dir.filePath(IoStringsFileName(kind)), kind, groups));
    EXPECT_FALSE(LoadIoStrings(File("digIO.dll", {"Kelm Digital", "x"}), DeviceKind::Std, groups));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open DigIO.dll File\rApplication Terminate!",
                           "Fail to Open DigIO_Tarn.dll File\rApplication Terminate!",
                           "Fail to Open DigIO_Orca.dll File\rApplication Terminate!", Fatal}));
}

// In a single-item group a line starting with a tab is the next group, not a continuation.
TEST_F(IoStringsTest, SingleItemGroups) {
    ASSERT_TRUE(Load({"; comment", "no tab", "", "  In 1\t0\t1\tHome\t4\t0\t7  ",
                      "Out 1\t0\t0\t\t-2\t0\t0", "\tSecond\t0\t0\tB\t2\t0\t0"}));
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
    ASSERT_EQ(groups[2].Items.size(), 1u);
    EXPECT_EQ(groups[2].Caption + "|" + groups[2].Items[0].Text, "Second|B");
    for (int i = 3; i < IoGroupCount; ++i)
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

const QString BootHeader = "Kelm bootloader configuration file";

struct AuxReadersTest : ReaderTest {
    bool LoadLabels(const QStringList& lines) {
        return LoadAnalogOutLabels(File("StrMon.dll", lines), "StrMon.dll", labels);
    }
    BootloaderRecords LoadBoot(const QStringList& lines) {
        return LoadBootloaderRecords(File("Btldr.dll", lines));
    }
    AnalogOutLabels labels;
};

TEST_F(AuxReadersTest, LabelsTwoColumnsFromTheSecondLineNoneIfMissingOrForeign) {
    ASSERT_TRUE(LoadLabels({"Kelm Analog Outs Labels", "Speed\tCurrent", "Torque", "; c\td",
                            "  Id \t Iq \tthird", "\"x\ty", "", "Empty\t"}));
    EXPECT_EQ(labels.First, (QStringList{"Speed", "Id ", "Empty"}));
    EXPECT_EQ(labels.Second, (QStringList{"Current", " Iq ", ""}));
    EXPECT_TRUE(messages.Texts().isEmpty());
    // A missing or foreign file leaves no label.
    EXPECT_FALSE(LoadAnalogOutLabels(dir.filePath("none.dll"), "StrMon.dll", labels));
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

struct HomingTest : ReaderTest {
    bool Load(const QStringList& lines) {
        return LoadHomingDescriptors(File("Homing.dll", lines), "Homing.dll", homing);
    }
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

struct ScopeScalesTest : ReaderTest {
    bool Load(const QStringList& lines) {
        return LoadScopeScales(File("Osci.dll", lines), "Osc.dll", set);
    }
    ScopeScaleSet set;
};

TEST_F(ScopeScalesTest, SignalsAndRows) {
    ASSERT_TRUE(Load({ScopeScalesHeader, " Speed \tx\tCurrent\t\tTorque",
                      "1 rpm\t1\t 1 A \t 10 \t1 Nm\t100", "; comment", "", "no tab",
                      "10 rpm\t70000\t\t5\t2 Nm\tabc", "\t\t2 A\t20"}));
    ASSERT_EQ(set.size(), 3u);
    EXPECT_EQ(set[0].Name + set[1].Name + set[2].Name, "SpeedCurrentTorque");
    // An empty caption adds nothing, the next row does; "abc" is not a number.
    const auto scales = [&](std::size_t i) {
        QStringList out;
        for (const ScopeScale& scale : set[i].Scales)
            out << scale.Caption + "=" + QString::number(scale.UnitsPerDivision);
        return out;
    };
    EXPECT_EQ(scales(0), (QStringList{"1 rpm=1", "10 rpm=4464"}));
    EXPECT_EQ(scales(1), (QStringList{"1 A=10", "2 A=20"}));
    EXPECT_EQ(scales(2), QStringList{"1 Nm=100"});
    EXPECT_TRUE(messages.Texts().isEmpty());
    // A missing file leaves no signal (a foreign one is checked with the whole set).
    EXPECT_FALSE(LoadScopeScales(dir.filePath("Osci_Tarn.dll"), "Osc_Tarn.dll", set));
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(messages.Texts(), QStringList{"Fail to Open Osc_Tarn.dll File"});
    // Naming stops at the first empty name; a header alone gives no signal.
    ASSERT_TRUE(Load({ScopeScalesHeader, "A\t\t\t\tC\t", "a\t1\tb\t2\tc\t3"}));
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].Scales.size(), 1u);
    EXPECT_TRUE(Load({ScopeScalesHeader}));
    EXPECT_TRUE(set.empty());
}

TEST_F(ScopeScalesTest, LongLinesUpTo399Characters) {
    const QString longCaption = "B" + QString(390, u'x');
    const QString fits = "A\t1\t" + longCaption + "\t123";         // 399 characters
    const QString straddles = "A\t2\t" + longCaption + "\t123456"; // cut inside the value
    ASSERT_EQ(fits.size(), 399);
    ASSERT_TRUE(Load({ScopeScalesHeader, "One\t\tTwo\t", fits, straddles}));
    ASSERT_EQ(set.size(), 2u);
    ASSERT_EQ(set[0].Scales.size(), 2u);
    EXPECT_EQ(set[0].Scales[1].UnitsPerDivision, 2);
    // "123456" would have been read as "123": the partial field is dropped.
    ASSERT_EQ(set[1].Scales.size(), 1u);
    EXPECT_EQ(set[1].Scales[0].Caption, longCaption);
    EXPECT_EQ(set[1].Scales[0].UnitsPerDivision, 123);
}

} // namespace
} // namespace kelm
