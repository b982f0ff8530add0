// The manifest's round trip and what it refuses to read; the checks before a machine
// restore: a missing, extra, wrong-kind or replaced unit, a file changed since the backup.
#include "core/machine/RestoreCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kelm;

namespace {

MachineManifest Sample() {
    MachineManifest m;
    m.Date = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
    m.ToolVersion = "1.4.0";
    m.Port = {"/dev/ttyUSB0 (COM17)", 115200, "none", true};
    m.Units = {
        {1,
         DeviceKind::Power,
         false,
         {"Tarn Power 300", "4.5", "0102"},
         {"unit-001.tnp", QString(64, 'a')},
         {}},
        {2,
         DeviceKind::Drive,
         false,
         {"Tarn 6", "6.0", "0201"},
         {"unit-002.tnd", QString(64, 'b')},
         {"unit-002.bcp", QString(64, 'c')}},
        {3, DeviceKind::Drive, true, {}, {}, {}},
    };
    return m;
}

TEST(MachineManifest, RoundTripAndRefusedTexts) {
    const MachineManifest m = Sample();
    QString error;
    const auto back = ManifestFromJson(ManifestToJson(m), &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->Date, m.Date);
    EXPECT_EQ(back->ToolVersion, m.ToolVersion);
    EXPECT_EQ(back->Port.Port, m.Port.Port);
    EXPECT_EQ(back->Port.Baud, m.Port.Baud);
    EXPECT_EQ(back->Port.Parity, m.Port.Parity);
    ASSERT_EQ(back->Units.size(), m.Units.size());
    for (std::size_t i = 0; i < m.Units.size(); ++i) {
        const MachineUnit &a = m.Units[i], &b = back->Units[i];
        EXPECT_EQ(b.Address, a.Address);
        EXPECT_EQ(b.Kind, a.Kind);
        EXPECT_EQ(b.Missing, a.Missing);
        EXPECT_EQ(b.Identity, a.Identity);
        EXPECT_EQ(b.Parameters.Name, a.Parameters.Name);
        EXPECT_EQ(b.Parameters.Sha256, a.Parameters.Sha256);
        EXPECT_EQ(b.Profiles.Name, a.Profiles.Name);
    }
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

struct LinkCase {
    const char* Name;
    std::vector<FoundUnit> Link;
    int Refusals;
    int Forcible;
    const char* Says;
};

TEST(RestoreCheck, LinkAgainstTheBackup) {
    const MachineManifest m = Sample();
    const FoundUnit power{1, DeviceKind::Power, true, m.Units[0].Identity};
    const FoundUnit drive{2, DeviceKind::Drive, true, m.Units[1].Identity};
    const FoundUnit silent3{3, DeviceKind::Drive, false, {}};
    const std::vector<LinkCase> cases = {
        {"same link", {power, drive, silent3}, 0, 0, ""},
        {"missing unit",
         {power, {2, DeviceKind::Drive, false, {}}, silent3},
         1,
         0,
         "unit 2 (Tarn Drive): missing"},
        {"extra unit",
         {power, drive, silent3, {4, DeviceKind::Drive, true, {}}},
         1,
         0,
         "unit 4 (Tarn Drive): extra"},
        {"wrong kind",
         {power, {2, DeviceKind::Power, true, m.Units[1].Identity}, silent3},
         1,
         0,
         "unit 2: is a Tarn Power, the backup holds a Tarn Drive"},
        {"replaced unit",
         {power, {2, DeviceKind::Drive, true, {"Tarn 6", "6.0", "0202"}}, silent3},
         0,
         1,
         "unit 2 (Tarn Drive): replaced: now model Tarn 6, size 6.0, firmware 0202"},
        {"missing at backup, answering now",
         {power, drive, {3, DeviceKind::Drive, true, {}}},
         1,
         0,
         "unit 3: answers now, but the backup has no file"},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.Name);
        RestoreVerdict verdict;
        CheckLinkAgainstManifest(m, c.Link, verdict);
        EXPECT_EQ(verdict.Refusals.size(), c.Refusals);
        EXPECT_EQ(verdict.Forcible.size(), c.Forcible);
        EXPECT_TRUE((verdict.Refusals + verdict.Forcible).join('\n').contains(c.Says))
            << (verdict.Refusals + verdict.Forcible).join('\n').toStdString();
        EXPECT_EQ(verdict.Allowed(false), c.Refusals + c.Forcible == 0);
        EXPECT_EQ(verdict.Allowed(true), c.Refusals == 0);
    }
}

TEST(RestoreCheck, FilesMustMatchTheirSums) {
    QTemporaryDir dir;
    const auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile file(QDir(dir.path()).filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    ASSERT_TRUE(put("unit-001.tnp", "power") && put("unit-002.tnd", "drive"));
    MachineManifest m = Sample();
    m.Units[0].Parameters.Sha256 = FileSha256(QDir(dir.path()).filePath("unit-001.tnp"));
    m.Units[1].Parameters.Sha256 = FileSha256(QDir(dir.path()).filePath("unit-002.tnd"));
    m.Units[1].Profiles = {};
    RestoreVerdict verdict;
    CheckManifestFiles(m, dir.path(), verdict);
    EXPECT_TRUE(verdict.Refusals.isEmpty()) << verdict.Refusals.join('\n').toStdString();
    // One byte changed, one file gone: both named; the unit missing at backup has none.
    ASSERT_TRUE(put("unit-002.tnd", "drivE"));
    m.Units[1].Profiles = {"unit-002.bcp", QString(64, 'c')};
    CheckManifestFiles(m, dir.path(), verdict);
    ASSERT_EQ(verdict.Refusals.size(), 2);
    EXPECT_TRUE(verdict.Refusals[0].contains("unit-002.tnd has changed since the backup"));
    EXPECT_TRUE(verdict.Refusals[1].contains("unit-002.bcp cannot be read"));
}

} // namespace
