// The shipped configuration set loads through the program's own loaders without a single
// message and holds what the program relies on: every register it addresses, selector and
// method defaults that name an item, oscilloscope settings that fit the scales, and files
// whose lines the readers take whole.
#include "core/config/ConfigurationSet.h"
#include "core/config/ScopeScales.h"
#include "core/seams/RecordingMessages.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

using namespace kelm;

namespace {

const QString kInstallFolder = QStringLiteral(KELM_RUNTIME_DIR "/");
const QString kBin = kInstallFolder + "Bin/";

// Per kind (in KindIndex order), as register ranges "first-last": the registers the program
// addresses (status words, identification, page fields, commands); those of them holding live
// values, identification, commands or requests, which a full-table write must never send (kind
// letter 'N'); and the ranges the status poll and the link scan read in one request (the
// whole-table read only groups consecutive entries, so a range must have no gap).
struct KindRegisters {
    const char* Listed;
    const char* NotWritten;
    const char* BlockReads;
};
const DeviceKind kKinds[] = {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive,
                             DeviceKind::Orca230};
const KindRegisters kRegisters[] = {
    {"0-2 4 7-9 11-17 21-31 34-39 41-42 44-47 49-53 55 58-62 65-74 79-80 83-88 90-93 103-108 "
     "124-139 146-149",
     "0-1 51-53 55 58-62 65 69 72-74 83-85 134-135 138-139", "134-135"},
    {"0-9 11-16 21 23-27 29-31 34-36 38-39 41-42 44-47 49 65 68-74 78-88 90 98 100-107 116-117 "
     "124-133 136-137 198 200-202 249-250",
     "0-3 26-27 65 72-74 78-84 86-87 90 98 100-107", "78-87 26-27 249-250"},
    {"0 2 6-7 12-20 23 25-28 31-34 36 40-47 51-52 56-66 68-72 76 78-81 83-91 93-103 116-122 "
     "184-187 193-202 207-219 222-223 225 370-377",
     "0 2 28 34 103 116-117 119-122 184 187 193-202 209 212 370-377",
     "116-120 121-122 184-187 193-197 198-199 207-212"},
    {"0-2 4 7-9 11-17 21-31 34-39 41-42 44-47 49-84 87-88 90-93 104-108 124-157 180-187 249-250",
     "0-1 51-53 55 58-62 65 69 72-74 83-84 134-135 138-139 144-145 150-157 180-187",
     "51-59 60-67 72-84 134-145 180-187"}};

std::vector<std::uint16_t> Registers(const char* ranges) {
    std::vector<std::uint16_t> registers;
    for (const QString& range : QString(ranges).split(' '))
        for (int a = range.section('-', 0, 0).toInt(); a <= range.section('-', -1).toInt(); ++a)
            registers.push_back(static_cast<std::uint16_t>(a));
    return registers;
}

// The whole set, loaded once in the program's three steps: whether it loaded, every message
// meanwhile and the number of terminate requests.
struct Loaded {
    Loaded() {
        RecordingMessages recorder;
        const bool ok = set.LoadAtDriverStart(kInstallFolder, devices.path() + "/Devices/") &&
                        set.LoadAtMainWindowCreation(kInstallFolder) &&
                        set.LoadAtMainWindowShow(kInstallFolder);
        result =
            std::tuple(ok, recorder.Texts().join(" | ").toStdString(), recorder.TerminateCount());
        ClearTerminateRequest();
    }
    QTemporaryDir devices;
    ConfigurationSet set;
    std::tuple<bool, std::string, int> result;
};
const Loaded& Shipped() {
    static const Loaded loaded;
    return loaded;
}
const ConfigurationSet& Set() {
    return Shipped().set;
}

const ParamEntry& Entry(DeviceKind kind, int address) {
    const ParamEntry* e = Set().KindTable(kind).FindByAddress(static_cast<std::uint16_t>(address));
    static const ParamEntry missing;
    EXPECT_NE(e, nullptr) << DeviceKindText(kind).toStdString() << " register " << address;
    return e ? *e : missing;
}

} // namespace

TEST(ShippedSet, LoadsWithoutAnyMessage) {
    EXPECT_EQ(Shipped().result, std::tuple(true, std::string(), 0));
}

// Every register the program addresses, and every block it reads, is in its kind's table,
// and nothing else is; letters, limits and comparison flags are consistent.
TEST(ShippedSet, EveryAddressedRegisterIsInItsKindTableWithConsistentFields) {
    for (DeviceKind kind : kKinds) {
        const ParamTable& table = Set().KindTable(kind);
        const std::string k = DeviceKindText(kind).toStdString();
        const KindRegisters& registers = kRegisters[KindIndex(kind)];
        EXPECT_EQ(table.Count(), static_cast<int>(Registers(registers.Listed).size())) << k;
        for (const char* ranges : {registers.Listed, registers.BlockReads})
            for (std::uint16_t address : Registers(ranges))
                Entry(kind, address);
        for (std::uint16_t address : Registers(registers.NotWritten))
            EXPECT_EQ(Entry(kind, address).KindLetter, 'N') << k << " " << address;
        std::set<QString> names;
        for (const ParamEntry& e : table) {
            const std::string where = k + " " + e.Name.toStdString();
            EXPECT_TRUE(!e.Name.trimmed().isEmpty() && names.insert(e.Name).second) << where;
            EXPECT_TRUE(e.MinValue <= e.DefaultValue && e.DefaultValue <= e.MaxValue) << where;
            // Real parameters take part in comparisons, live values never do.
            EXPECT_TRUE(e.KindLetter != 'N' || !e.Compared) << where;
            EXPECT_TRUE(e.KindLetter != 'A' || e.Compared) << where;
            EXPECT_TRUE(e.AccessLetter == 'U' || e.AccessLetter == 'E') << where;
        }
    }
}

// A missing line would show the alarm window's generic "N Alarm nr. N" instead of its cause.
TEST(ShippedSet, EveryAlarmHasItsOwnText) {
    for (DeviceKind kind : kKinds) {
        const QStringList& texts = Set().AlarmTexts(kind);
        ASSERT_EQ(texts.size(), 32) << DeviceKindText(kind).toStdString();
        for (int n = 1; n <= 32; ++n)
            EXPECT_NE(texts[n - 1], DefaultAlarmText(n)) << DeviceKindText(kind).toStdString();
    }
}

TEST(ShippedSet, PowerDescribesTheLink) {
    // The drive units' addresses follow the base address on the bus.
    EXPECT_LE(Entry(DeviceKind::Power, 4).DefaultValue + Entry(DeviceKind::Power, 6).MaxValue, 255);
    // The link signature of a real Power unit must not read as an Orca 230 ("ORCA").
    EXPECT_NE(Entry(DeviceKind::Power, 249).DefaultValue, 0x4143);
    EXPECT_EQ(std::tuple(Entry(DeviceKind::Orca230, 249).DefaultValue,
                         Entry(DeviceKind::Orca230, 250).DefaultValue),
              std::tuple(0x4143, 0x524F));
    // The link overview marks an unread ID with MaxValue + 1: it must fit in 16 bits.
    EXPECT_LT(Entry(DeviceKind::Power, 7).MaxValue, 32767);
    EXPECT_LT(Entry(DeviceKind::Drive, 6).MaxValue, 32767);
}

// Every function selector's default (item index) lies inside its group's list of more than
// one item; the Orca 230 hides its AUX rows, whose selectors keep a single item.
TEST(ShippedSet, SelectorDefaultsPickAnItem) {
    using Rows = std::vector<std::pair<int, int>>; // I/O row, selector register
    // clang-format off
    const std::pair<DeviceKind, Rows> selectors[] = {
        {DeviceKind::Std, {{1, 104}, {2, 87}, {3, 88}, {4, 105}, {9, 124}, {10, 127}, {11, 125},
                           {12, 126}}},
        {DeviceKind::Orca230, {{1, 104}, {2, 87}, {3, 88}, {4, 105}, {11, 125}, {12, 126}}},
        {DeviceKind::Drive, {{1, 79}, {2, 80}, {3, 81}, {5, 83}, {6, 84}, {7, 85}, {8, 86}, {9, 87},
                             {10, 88}, {11, 99}, {12, 101}}}};
    // clang-format on
    for (const auto& [kind, rows] : selectors) {
        for (const auto& [row, address] : rows) {
            const int value = Entry(kind, address).DefaultValue;
            const auto items = static_cast<int>(
                Set().IoGroupsOf(kind)[static_cast<std::size_t>(row)].Items.size());
            EXPECT_TRUE(value >= 0 && value < items && items > 1)
                << "row " << row << " selector " << address;
        }
    }
}

// The homing method register's default names a record and every record fits the register.
TEST(ShippedSet, HomingMethodRegisterDefaultsMatchARecord) {
    for (const auto& [kind, address] :
         {std::pair(DeviceKind::Std, 91), {DeviceKind::Drive, 215}, {DeviceKind::Orca230, 91}}) {
        const HomingDescriptors& homing = Set().Homing(kind);
        const ParamEntry& e = Entry(kind, address);
        ASSERT_FALSE(homing.SensorNames.isEmpty());
        EXPECT_NE(homing.FindByCode(static_cast<std::uint16_t>(e.DefaultValue)), nullptr);
        for (const HomingMethod& m : homing.Methods)
            EXPECT_LE(m.Code, static_cast<std::uint16_t>(e.MaxValue));
    }
}

// Analog output selectors stay inside the labels; the loader register of a bootloader record
// does not collide with a parameter of the drive.
TEST(ShippedSet, AnalogLabelsAndBootloaderRecords) {
    const std::pair<DeviceKind, int> outputs[] = {
        {DeviceKind::Std, 66},     {DeviceKind::Std, 67},    {DeviceKind::Orca230, 66},
        {DeviceKind::Orca230, 67}, {DeviceKind::Drive, 207}, {DeviceKind::Drive, 210}};
    for (const auto& [kind, address] : outputs) {
        const AnalogOutLabels& labels = Set().AnalogLabels(kind);
        EXPECT_TRUE(labels.First.size() == labels.Second.size() &&
                    Entry(kind, address).MaxValue < labels.First.size())
            << address;
    }
    for (DeviceKind kind : {DeviceKind::Drive, DeviceKind::Orca230}) {
        const BootloaderRecord* record = Set().Bootloader(kind);
        ASSERT_NE(record, nullptr);
        EXPECT_TRUE(record->First != 0 && record->Second != 0 && !record->Text.isEmpty());
        EXPECT_EQ(Set().KindTable(kind).FindByAddress(record->First), nullptr);
    }
}

// Every file is there as 8-bit CR LF text within the readers' line limits; device table
// lines have eight fields and names short enough not to be cut by the reader.
TEST(ShippedFiles, EveryFileIsCrLfTextWithinTheLineLimit) {
    for (const QString name :
         {"device.dll", "TarnPower.dll", "TarnDrive.dll", "TarnOrca230.dll", "strall.dll",
          "digIO.dll", "DigIO_Tarn.dll", "DigIO_Orca.dll", "StrMon.dll", "StrMonTarnD.dll",
          "StrMonOrca.dll", "Btldr.dll", "Homing.dll", "Homing_Tarn.dll", "Homing_Orca.dll",
          "Osci.dll", "Osci_Tarn.dll", "ZavaRive.dll"}) {
        QFile file(kBin + name);
        const QString text =
            file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : "";
        ASSERT_TRUE(text.endsWith("\r\n")) << name.toStdString() << " missing or not CR LF";
        EXPECT_TRUE(text.count('\n') == text.count("\r\n") && text.count('\r') == text.count('\n'))
            << name.toStdString() << ": a line end that is not CR LF";
        const QStringList lines = text.chopped(2).split("\r\n");
        const bool table = name.contains(QRegularExpression("^(device|Tarn)"));
        EXPECT_TRUE(!table || lines[0] == "Kelm Devices Global Configuration File");
        const int limit = name.startsWith("Osci") ? ScopeScalesMaxLineChars : 99;
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            const std::string where = name.toStdString() + ": " + line.toStdString();
            EXPECT_LE(line.size(), limit) << where;
            // Plain text: no control character but the tab.
            EXPECT_FALSE(line.contains(QRegularExpression("[\\x00-\\x08\\x0a-\\x1f\\x7f]")))
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
