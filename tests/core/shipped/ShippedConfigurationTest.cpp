// The shipped configuration set loads through the program's own loaders without a single
// message, and describes four consistent drives. Its files as bytes: every file present,
// 8-bit text with CR LF line ends, lines within the readers' limits, and the oscilloscope
// settings consistent with the scales.
#include "ListedRegisters.h"
#include "core/config/ConfigurationSet.h"
#include "core/config/ScopeScales.h"
#include "core/seams/RecordingMessages.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace kelm;

namespace {

const QString kInstallFolder = QStringLiteral(KELM_RUNTIME_DIR "/");

const DeviceKind kAllKinds[] = {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive,
                                DeviceKind::Orca230};

// Per kind (in KindIndex order): the registers the program addresses, those a full-table
// write never sends, and the ranges the status poll and the link scan read in one request
// (the whole-table read only groups consecutive entries, so a range must have no gap).
struct KindRegisters {
    const std::vector<std::uint16_t>& Listed;
    const std::vector<std::uint16_t>& NotWritten;
    std::vector<std::pair<std::uint16_t, int>> BlockReads;
};
const KindRegisters kRegisters[] = {
    {shipped::ListedStd, shipped::NotWrittenStd, {{134, 2}}},
    {shipped::ListedPower, shipped::NotWrittenPower, {{78, 10}, {26, 2}, {249, 2}}},
    {shipped::ListedDrive,
     shipped::NotWrittenDrive,
     {{116, 5}, {121, 2}, {184, 4}, {193, 5}, {198, 2}, {207, 6}}},
    {shipped::ListedOrca230,
     shipped::NotWrittenOrca230,
     {{51, 9}, {60, 8}, {72, 13}, {134, 12}, {180, 8}}}};

// Loads the whole set once, in the program's three steps, recording every message.
class ShippedSet : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RecordingMessages recorder;
        devices_ = new QTemporaryDir;
        set_ = new ConfigurationSet;
        loaded_ = set_->LoadAtDriverStart(kInstallFolder, devices_->path() + "/Devices/") &&
                  set_->LoadAtMainWindowCreation(kInstallFolder) &&
                  set_->LoadAtMainWindowShow(kInstallFolder);
        messages_ = recorder.Texts();
        terminates_ = recorder.TerminateCount();
    }
    static void TearDownTestSuite() {
        delete set_;
        delete devices_;
        ClearTerminateRequest();
    }
    static const ConfigurationSet& Set() { return *set_; }

    static inline QTemporaryDir* devices_ = nullptr;
    static inline ConfigurationSet* set_ = nullptr;
    static inline bool loaded_ = false;
    static inline QStringList messages_;
    static inline int terminates_ = 0;
};

} // namespace

TEST_F(ShippedSet, LoadsWithoutAnyMessage) {
    EXPECT_TRUE(loaded_);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(" | ").toStdString();
    EXPECT_EQ(terminates_, 0);
}

// Every register the program addresses, and every block it reads, is in its kind's table,
// and nothing else is; letters, limits and comparison flags are consistent.
TEST_F(ShippedSet, EveryAddressedRegisterIsInItsKindTableWithConsistentFields) {
    for (DeviceKind kind : kAllKinds) {
        const ParamTable& table = Set().KindTable(kind);
        const std::string k = DeviceKindText(kind).toStdString();
        const KindRegisters& registers = kRegisters[KindIndex(kind)];
        for (std::uint16_t address : registers.Listed)
            EXPECT_NE(table.FindByAddress(address), nullptr) << k << " register " << address;
        EXPECT_EQ(table.Count(), static_cast<int>(registers.Listed.size())) << k;
        for (const auto& [first, count] : registers.BlockReads)
            for (int a = first; a < first + count; ++a)
                EXPECT_NE(table.FindByAddress(static_cast<std::uint16_t>(a)), nullptr)
                    << k << " block register " << a;
        for (std::uint16_t address : registers.NotWritten) {
            const ParamEntry* e = table.FindByAddress(address);
            ASSERT_NE(e, nullptr) << k << " " << address;
            EXPECT_EQ(e->KindLetter, 'N') << k << " " << address << " " << e->Name.toStdString();
        }
        std::set<QString> names;
        for (const ParamEntry& e : table) {
            EXPECT_FALSE(e.Name.trimmed().isEmpty()) << k << " " << e.Address;
            EXPECT_TRUE(names.insert(e.Name).second)
                << k << " name used twice: " << e.Name.toStdString();
            EXPECT_TRUE(e.MinValue <= e.DefaultValue && e.DefaultValue <= e.MaxValue)
                << k << " " << e.Address;
            // Real parameters take part in comparisons, live values never do.
            EXPECT_TRUE(e.KindLetter != 'N' || !e.Compared) << k << " " << e.Address;
            EXPECT_TRUE(e.KindLetter != 'A' || e.Compared) << k << " " << e.Address;
            EXPECT_TRUE(e.AccessLetter == 'U' || e.AccessLetter == 'E');
        }
    }
}

TEST_F(ShippedSet, PowerDescribesTheLink) {
    const ParamTable& power = Set().KindTable(DeviceKind::Power);
    const ParamEntry* base = power.FindByAddress(4);
    const ParamEntry* units = power.FindByAddress(6);
    ASSERT_TRUE(base && units && power.FindByAddress(5));
    // Base address 1, 115200 baud, three drive units.
    EXPECT_EQ(std::tuple(base->DefaultValue, power.FindByAddress(5)->DefaultValue * 100,
                         units->DefaultValue),
              std::tuple(1, 115200, 3));
    EXPECT_LE(base->DefaultValue + units->MaxValue, 255);
    // The link signature of a real Power unit must not read as an Orca 230 ("ORCA").
    EXPECT_NE(power.FindByAddress(249)->DefaultValue, 0x4143);
    const ParamTable& orca = Set().KindTable(DeviceKind::Orca230);
    EXPECT_EQ(
        std::tuple(orca.FindByAddress(249)->DefaultValue, orca.FindByAddress(250)->DefaultValue),
        std::tuple(0x4143, 0x524F));
    // The link overview marks an unread ID with MaxValue + 1: it must fit in 16 bits.
    EXPECT_LT(power.FindByAddress(7)->MaxValue, 32767);
    EXPECT_LT(Set().KindTable(DeviceKind::Drive).FindByAddress(6)->MaxValue, 32767);
}

TEST_F(ShippedSet, ThirtyTwoAlarmTextsPerKind) {
    for (DeviceKind kind : kAllKinds) {
        const QStringList& texts = Set().AlarmTexts(kind);
        ASSERT_EQ(texts.size(), 32) << DeviceKindText(kind).toStdString();
        for (int n = 1; n <= 32; ++n) {
            EXPECT_NE(texts[n - 1], DefaultAlarmText(n)) << "alarm " << n << " has no text";
            EXPECT_LE(texts[n - 1].size(), AlarmTextMaxChars);
        }
    }
}

TEST_F(ShippedSet, ThirteenIoGroupsWithUniqueFunctions) {
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive, DeviceKind::Orca230}) {
        const std::string k = DeviceKindText(kind).toStdString();
        const IoGroups& groups = Set().IoGroupsOf(kind);
        std::map<int, QString> textOfCode;
        std::set<int> rowDefaults;
        bool momentary = false, ranged = false, negativeRange = false;
        for (const IoGroup& group : groups) {
            ASSERT_FALSE(group.Items.empty()) << k << " " << group.Caption.toStdString();
            EXPECT_FALSE(group.Caption.isEmpty());
            EXPECT_TRUE(rowDefaults.insert(group.Items.front().Number1).second)
                << k << ": two rows start on one function";
            std::set<int> inGroup;
            for (const IoItem& item : group.Items) {
                EXPECT_TRUE(inGroup.insert(item.Number1).second) << k << " " << item.Number1;
                // One code names one function in every group that offers it.
                const auto [it, added] = textOfCode.emplace(item.Number1, item.Text);
                EXPECT_EQ(it->second, item.Text) << k << " code " << item.Number1;
                momentary = momentary || item.ItemFlag;
                if (item.HasRange) {
                    ranged = true;
                    EXPECT_LT(item.Number2, item.Number3) << k << " " << item.Text.toStdString();
                    negativeRange = negativeRange || item.Number2 < 0;
                }
            }
        }
        EXPECT_EQ(groups[0].Caption + "|" + groups[12].Caption, "DGT-IN1 (ENABLE)|DGT-OUT 2");
        EXPECT_TRUE(momentary && ranged && negativeRange) << k;
    }
}

// Every function selector's default (item index) lies inside its group's list of more than
// one item; the Orca 230 hides its AUX rows, whose selectors keep a single item.
TEST_F(ShippedSet, SelectorDefaultsPickAnItem) {
    using Rows = std::vector<std::pair<int, std::uint16_t>>; // I/O row, selector register
    const Rows drive = {{1, 79}, {2, 80}, {3, 81},  {5, 83},  {6, 84},  {7, 85},
                        {8, 86}, {9, 87}, {10, 88}, {11, 99}, {12, 101}};
    const std::pair<DeviceKind, Rows> selectors[] = {
        {DeviceKind::Std,
         {{1, 104}, {2, 87}, {3, 88}, {4, 105}, {9, 124}, {10, 127}, {11, 125}, {12, 126}}},
        {DeviceKind::Orca230, {{1, 104}, {2, 87}, {3, 88}, {4, 105}, {11, 125}, {12, 126}}},
        {DeviceKind::Drive, drive}};
    for (const auto& [kind, rows] : selectors) {
        for (const auto& [row, address] : rows) {
            const ParamEntry* e = Set().KindTable(kind).FindByAddress(address);
            ASSERT_NE(e, nullptr) << address;
            const auto items = static_cast<int>(
                Set().IoGroupsOf(kind)[static_cast<std::size_t>(row)].Items.size());
            EXPECT_TRUE(e->DefaultValue >= 0 && e->DefaultValue < items && items > 1)
                << "row " << row << " selector " << address;
        }
    }
}

// The homing method register's default names a record, every record fits the register and
// every method name is offered by a record.
TEST_F(ShippedSet, HomingMethodRegisterDefaultsMatchARecord) {
    for (const auto& [kind, address] :
         {std::pair(DeviceKind::Std, 91), {DeviceKind::Drive, 215}, {DeviceKind::Orca230, 91}}) {
        const HomingDescriptors& homing = Set().Homing(kind);
        const ParamEntry* e =
            Set().KindTable(kind).FindByAddress(static_cast<std::uint16_t>(address));
        ASSERT_TRUE(e && !homing.SensorNames.isEmpty());
        EXPECT_NE(homing.FindByCode(static_cast<std::uint16_t>(e->DefaultValue)), nullptr);
        std::set<int> names;
        for (const HomingMethod& m : homing.Methods) {
            EXPECT_LE(m.Code, static_cast<std::uint16_t>(e->MaxValue));
            names.insert(m.NameIndex);
        }
        EXPECT_EQ(static_cast<int>(names.size()), homing.MethodNames.size());
    }
    EXPECT_TRUE(Set().Homing(DeviceKind::Power).IsEmpty());
}

// Scope signals have ten scales (one has two), growing from the finest to the coarsest.
TEST_F(ShippedSet, ScopeSignalsAndScales) {
    for (DeviceKind kind : {DeviceKind::Std, DeviceKind::Drive}) {
        const ScopeScaleSet& signalSet = Set().ScopeSet(kind);
        ASSERT_GE(signalSet.size(), 2u);
        std::multiset<std::size_t> sizes;
        for (const ScopeSignal& s : signalSet) {
            EXPECT_FALSE(s.Name.isEmpty());
            sizes.insert(s.Scales.size());
            for (std::size_t i = 0; i < s.Scales.size(); ++i)
                EXPECT_GT(s.Scales[i].UnitsPerDivision,
                          i > 0 ? s.Scales[i - 1].UnitsPerDivision : 0)
                    << s.Name.toStdString();
        }
        EXPECT_EQ(std::pair(sizes.count(10), sizes.count(2)),
                  std::pair(signalSet.size() - 1, std::size_t{1}));
    }
    EXPECT_EQ(&Set().ScopeSet(DeviceKind::Orca230), &Set().ScopeSet(DeviceKind::Std));
    EXPECT_TRUE(Set().ScopeSet(DeviceKind::Power).empty());
}

// Analog output selectors stay inside the labels; the loader register of a bootloader record
// does not collide with a parameter of the drive.
TEST_F(ShippedSet, AnalogLabelsAndBootloaderRecords) {
    const std::pair<DeviceKind, std::uint16_t> outputs[] = {
        {DeviceKind::Std, 66},     {DeviceKind::Std, 67},    {DeviceKind::Orca230, 66},
        {DeviceKind::Orca230, 67}, {DeviceKind::Drive, 207}, {DeviceKind::Drive, 210}};
    for (const auto& [kind, address] : outputs) {
        const AnalogOutLabels& labels = Set().AnalogLabels(kind);
        const ParamEntry* e = Set().KindTable(kind).FindByAddress(address);
        ASSERT_NE(e, nullptr);
        EXPECT_TRUE(labels.First.size() == labels.Second.size() &&
                    e->MaxValue < labels.First.size())
            << address;
    }
    for (DeviceKind kind : {DeviceKind::Drive, DeviceKind::Orca230}) {
        const BootloaderRecord* record = Set().Bootloader(kind);
        ASSERT_NE(record, nullptr);
        EXPECT_TRUE(record->First != 0 && record->Second != 0 && !record->Text.isEmpty());
        EXPECT_EQ(Set().KindTable(kind).FindByAddress(record->First), nullptr);
    }
}

namespace {

const QString kBin = QStringLiteral(KELM_RUNTIME_DIR "/Bin/");

const char* const kShippedFiles[] = {
    "device.dll",     "TarnPower.dll",  "TarnDrive.dll",  "TarnOrca230.dll", "strall.dll",
    "digIO.dll",      "DigIO_Tarn.dll", "DigIO_Orca.dll", "StrMon.dll",      "StrMonTarnD.dll",
    "StrMonOrca.dll", "Btldr.dll",      "Homing.dll",     "Homing_Tarn.dll", "Homing_Orca.dll",
    "Osci.dll",       "Osci_Tarn.dll",  "ZavaRive.dll"};

QByteArray ReadAll(const QString& name) {
    QFile f(kBin + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Lines without their CR LF; fails the test when a line end is not CR LF.
QList<QByteArray> Lines(const QString& name) {
    const QByteArray bytes = ReadAll(name);
    EXPECT_TRUE(bytes.endsWith("\r\n")) << name.toStdString();
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the final line end
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << name.toStdString() << ": LF without CR";
        line.chop(1);
        EXPECT_FALSE(line.contains('\r')) << name.toStdString() << ": stray CR";
    }
    return lines;
}

} // namespace

// Device tables: lines of eight fields, names short enough not to be cut by the reader.
TEST(ShippedFiles, EveryFileIsCrLfTextWithinTheLineLimit) {
    for (const QString name : kShippedFiles) {
        const QList<QByteArray> lines = Lines(name);
        ASSERT_FALSE(lines.isEmpty()) << name.toStdString() << " missing or empty";
        const bool table = name.contains(QRegularExpression("^(device|Tarn)"));
        EXPECT_TRUE(!table || lines[0] == "Kelm Devices Global Configuration File");
        const int limit = name.startsWith("Osci") ? ScopeScalesMaxLineChars : 99;
        for (int i = 0; i < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            const std::string where = name.toStdString() + ": " + line.toStdString();
            EXPECT_LE(line.size(), limit) << where;
            // Plain text: no control character but the tab.
            EXPECT_FALSE(QString::fromLatin1(line).contains(
                QRegularExpression("[\\x00-\\x08\\x0a-\\x1f\\x7f]")))
                << where;
            const bool entry = table && i >= 2 && !line.startsWith(';');
            EXPECT_TRUE(!entry || (line.count('\t') == 7 && line.indexOf('\t') <= 19)) << where;
        }
    }
}

TEST(ShippedFiles, ScopeSettingsMatchTheScales) {
    RecordingMessages recorder;
    QSettings ini(kBin + "ZavaRive.dll", QSettings::IniFormat);
    const auto O = [&ini](int address) { return ini.value(QString("O%1").arg(address)).toInt(); };
    for (const auto& [section, file] : {std::pair("Std", "Osci.dll"), {"Tarn", "Osci_Tarn.dll"}}) {
        ScopeScaleSet signalSet;
        ASSERT_TRUE(LoadScopeScales(kBin + file, file, signalSet));
        ini.beginGroup(section);
        QStringList keys{"Ofs1", "Ofs2"};
        for (int a = 50000; a <= 50013; ++a)
            keys << QString("O%1").arg(a);
        for (const QString& key : keys)
            EXPECT_TRUE(ini.contains(key)) << section << " " << key.toStdString();
        EXPECT_EQ(O(50000), 0) << "must not arm the recorder";
        const int window = O(50001);
        EXPECT_TRUE(
            QList<int>({10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000}).contains(window));
        EXPECT_TRUE(O(50003) <= window && O(50004) >= 1 && O(50004) <= 3) << section;
        for (int channel = 0; channel < 2; ++channel) {
            const int number = O(50006 + channel);
            ASSERT_TRUE(number >= 1 && number <= static_cast<int>(signalSet.size())) << number;
            const auto& scales = signalSet[static_cast<std::size_t>(number - 1)].Scales;
            EXPECT_TRUE(std::any_of(scales.begin(), scales.end(),
                                    [&](const ScopeScale& scale) {
                                        return scale.UnitsPerDivision == O(50008 + channel);
                                    }))
                << section << " channel " << channel + 1;
            // Factor 2: samples taken as they are (multiply by 1).
            EXPECT_EQ(O(50012 + channel), 2);
        }
        ini.endGroup();
    }
    EXPECT_TRUE(recorder.Texts().isEmpty());
}
