// A backup folder appears complete or not at all, and an existing one is replaced whole;
// the manifest's round trip and what it refuses to read; the checks before a machine
// restore: a missing, extra, wrong-kind or replaced unit, a file changed since the backup.
#include "core/machine/AtomicFolder.h"
#include "core/machine/RestoreCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kelm;

namespace {

bool Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Entries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// A folder holding other files, or a file by the target's name, is never swept away.
TEST(AtomicFolder, CommitAbandonAndRefusals) {
    const struct {
        const char* Name;
        QStringList Before; // files in the target before; empty list: no target
        bool TargetIsFile;
        bool Begins;
    } cases[] = {
        {"new folder", {}, false, true},
        {"empty folder", {"."}, false, true},
        {"earlier backup", {ManifestFileName, "unit-001.tnp"}, false, true},
        {"folder of other files", {"notes.txt"}, false, false},
        {"a file by that name", {}, true, false},
    };
    for (const auto& c : cases) {
        for (const bool commit : {false, true}) {
            SCOPED_TRACE(std::string(c.Name) + (commit ? " committed" : " abandoned"));
            QTemporaryDir parent;
            const QString target = QDir(parent.path()).filePath("machine");
            ASSERT_TRUE(c.TargetIsFile ? Put(target, "x")
                                       : c.Before.isEmpty() || QDir().mkdir(target));
            for (const QString& name : c.Before)
                ASSERT_TRUE(name == "." || Put(QDir(target).filePath(name), "old"));
            const QStringList before = c.TargetIsFile ? QStringList() : Entries(target);
            {
                AtomicFolder folder(target);
                QString error;
                ASSERT_EQ(folder.Begin(&error), c.Begins) << error.toStdString();
                if (!c.Begins) {
                    EXPECT_FALSE(error.isEmpty());
                    continue;
                }
                ASSERT_TRUE(Put(QDir(folder.WorkPath()).filePath(ManifestFileName), "new"));
                // Nothing of the new folder shows under the target's name before the commit.
                EXPECT_EQ(c.TargetIsFile ? QStringList() : Entries(target), before);
                ASSERT_TRUE(!commit || folder.Commit(&error)) << error.toStdString();
            }
            // Only the target is left beside it: no temporary or old folder.
            const bool exists = commit || !c.Before.isEmpty();
            EXPECT_EQ(Entries(parent.path()), exists ? QStringList{"machine"} : QStringList());
            if (exists) {
                EXPECT_EQ(Entries(target), commit ? QStringList{ManifestFileName} : before);
            }
        }
    }
}

MachineFile File(const char* name, char sum) {
    return {name, QString(64, sum)};
}

MachineManifest Sample() {
    const MachineIdentity power{"Tarn Power 300", "4.5", "0102"}, drive{"Tarn 6", "6.0", "0201"};
    MachineManifest m{QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC),
                      "1.4.0",
                      MachinePort{"/dev/ttyUSB0 (COM17)", 115200, "none", true},
                      {}};
    m.Units.push_back({1, DeviceKind::Power, false, power, File("unit-001.tnp", 'a'), {}});
    m.Units.push_back(
        {2, DeviceKind::Drive, false, drive, File("unit-002.tnd", 'b'), File("unit-002.bcp", 'c')});
    m.Units.push_back({3, DeviceKind::Drive, true, {}, {}, {}});
    return m;
}

// Every field the manifest keeps, to compare two of them whole.
QStringList Fields(const MachineManifest& m) {
    QStringList out{QString::number(m.Date.toMSecsSinceEpoch()), m.ToolVersion, m.Port.Port,
                    QString::number(m.Port.Baud), m.Port.Parity};
    for (const MachineUnit& u : m.Units)
        out << QStringLiteral("%1 %2 %3 %4|%5|%6 %7 %8 %9")
                   .arg(QString::number(u.Address), QString::number(int(u.Kind)),
                        QString::number(u.Missing), u.Identity.Model, u.Identity.Size,
                        u.Identity.Firmware, u.Parameters.Name, u.Parameters.Sha256,
                        u.Profiles.Name);
    return out;
}

TEST(MachineManifest, RoundTripAndRefusedTexts) {
    const MachineManifest m = Sample();
    QString error;
    const auto back = ManifestFromJson(ManifestToJson(m), &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(Fields(*back), Fields(m));
    // Texts that are no manifest of ours, or would lead outside the folder.
    const QByteArray good = ManifestToJson(m);
    for (const QByteArray& bad : {QByteArray("{"), QByteArray("[]"),
                                  QByteArray(good).replace("\"format\": 1", "\"format\": 2"),
                                  QByteArray(good).replace("unit-002.tnd", "../x.tnd"),
                                  QByteArray(good).replace("\"address\": 3", "\"address\": 2"),
                                  QByteArray(good).replace("\"address\": 3", "\"address\": 256"),
                                  QByteArray(good).replace("\"drive\"", "\"motor\"")}) {
        EXPECT_FALSE(ManifestFromJson(bad, &error)) << bad.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(RestoreCheck, LinkAgainstTheBackup) {
    const MachineManifest m = Sample();
    using enum DeviceKind;
    const FoundUnit power{1, Power, true, m.Units[0].Identity};
    const FoundUnit drive{2, Drive, true, m.Units[1].Identity};
    const FoundUnit silent2{2, Drive, false, {}}, silent3{3, Drive, false, {}};
    const FoundUnit powerAt2{2, Power, true, m.Units[1].Identity};
    const FoundUnit replaced2{2, Drive, true, {"Tarn 6", "6.0", "0202"}};
    const struct {
        const char* Name;
        std::vector<FoundUnit> Link;
        int Refusals, Forcible;
        const char* Says;
    } cases[] = {
        {"same link", std::vector{power, drive, silent3}, 0, 0, ""},
        {"missing unit", std::vector{power, silent2, silent3}, 1, 0,
         "unit 2 (Tarn Drive): missing"},
        {"extra unit", std::vector{power, drive, silent3, FoundUnit{4, Drive, true, {}}}, 1, 0,
         "unit 4 (Tarn Drive): extra"},
        {"wrong kind", std::vector{power, powerAt2, silent3}, 1, 0,
         "unit 2: is a Tarn Power, the backup holds a Tarn Drive"},
        {"replaced unit", std::vector{power, replaced2, silent3}, 0, 1,
         "unit 2 (Tarn Drive): replaced: now model Tarn 6, size 6.0, firmware 0202"},
        {"missing at backup, answering now",
         std::vector{power, drive, FoundUnit{3, Drive, true, {}}}, 1, 0,
         "unit 3: answers now, but the backup has no file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RestoreVerdict verdict;
        CheckLinkAgainstManifest(m, c.Link, verdict);
        const QString says = (verdict.Refusals + verdict.Forcible).join('\n');
        EXPECT_TRUE(says.contains(c.Says)) << says.toStdString();
        EXPECT_EQ(
            std::tuple(verdict.Refusals.size(), verdict.Forcible.size(), verdict.Allowed(false),
                       verdict.Allowed(true)),
            std::tuple(c.Refusals, c.Forcible, c.Refusals + c.Forcible == 0, c.Refusals == 0));
    }
}

TEST(RestoreCheck, FilesMustMatchTheirSums) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    ASSERT_TRUE(Put(folder.filePath("unit-001.tnp"), "power") &&
                Put(folder.filePath("unit-002.tnd"), "drive"));
    MachineManifest m = Sample();
    m.Units[0].Parameters.Sha256 = FileSha256(folder.filePath("unit-001.tnp"));
    m.Units[1].Parameters.Sha256 = FileSha256(folder.filePath("unit-002.tnd"));
    m.Units[1].Profiles = {};
    RestoreVerdict verdict;
    CheckManifestFiles(m, dir.path(), verdict);
    EXPECT_TRUE(verdict.Refusals.isEmpty()) << verdict.Refusals.join('\n').toStdString();
    // One byte changed, one file gone: both named; the unit missing at backup has none.
    ASSERT_TRUE(Put(folder.filePath("unit-002.tnd"), "drivE"));
    m.Units[1].Profiles = File("unit-002.bcp", 'c');
    CheckManifestFiles(m, dir.path(), verdict);
    ASSERT_EQ(verdict.Refusals.size(), 2);
    EXPECT_TRUE(verdict.Refusals[0].contains("unit-002.tnd has changed since the backup"));
    EXPECT_TRUE(verdict.Refusals[1].contains("unit-002.bcp cannot be read"));
}

} // namespace
