#include "core/settings/SettingsStore.h"
#include "core/seams/RecordingMessages.h"
#include "core/settings/DevicesFolder.h"
#include "core/settings/UserDataFolder.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelm;

namespace {

// A private settings file and two candidate installation folders per test.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(install_ + "Data") && QDir().mkpath(other_ + "Data"));
    }
    static QString Key(const QString& key) { return QString(SettingsStore::Group) + "/" + key; }
    QVariant Stored(const QString& key) const {
        return QSettings(file_, QSettings::IniFormat).value(Key(key));
    }
    void Store(const QString& key, const QVariant& v) const {
        QSettings s(file_, QSettings::IniFormat);
        v.isValid() ? s.setValue(Key(key), v) : s.remove(Key(key));
    }
    QByteArray FileBytes() const {
        QFile f(file_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QString file_ = dir_.path() + "/cfg/Dorsel/Kelmmb.ini";
    QString install_ = dir_.path() + "/inst/";
    QString other_ = dir_.path() + "/moved/";
};

} // namespace

TEST_F(SettingsStoreTest, FirstRunDefaultsSurviveARestartMissingOnesReadEmptyOrDefault) {
    {
        SettingsStore store(install_, file_);
        EXPECT_EQ(QStringList({store.InstallFolder, store.DevicesFolder, store.DriversFolder,
                               store.ProfilesFolder}),
                  QStringList({install_, install_ + "Data/Devices/", install_ + "Data/Drivers/",
                               install_ + "Data/Profiles/"}));
        EXPECT_EQ(std::tuple(store.ComPort, store.BaudRate, store.Parity, store.LinkComPort),
                  std::tuple(1, 19200, 2, 10));
        std::tie(store.BaudRate, store.ComPort, store.LinkComPort, store.DevicesFolder) =
            std::tuple(115200, 255, 7, "/somewhere/else/"); // 0x0001C200 baud
    }
    const std::pair<const char*, QVariant> stored[] = {
        {"Baud Rate", QByteArray::fromHex("00c20100")},
        {"ComPort", QByteArray::fromHex("ff")},
        {"ComPortTarn", QByteArray::fromHex("07")},
        {"Parity", QByteArray::fromHex("02")},
        {"General", install_},
        {"Drivers", install_ + "Data/Drivers/"}};
    for (const auto& [key, value] : stored)
        EXPECT_EQ(Stored(key), value) << key;
    // Installation: 8-byte little-endian day count since 1899-12-30, written at creation.
    const QByteArray inst = Stored("Installation").toByteArray();
    ASSERT_EQ(inst.size(), 8);
    const double days = qFromLittleEndian<double>(inst.constData());
    const double today = QDate(1899, 12, 30).daysTo(QDate::currentDate());
    EXPECT_TRUE(days >= today - 1.0 && days < today + 2.0) << days;
    // The executable folder gains its trailing slash.
    EXPECT_EQ(SettingsStore("/opt/Tools/Drive", dir_.path() + "/other.ini").DevicesFolder,
              "/opt/Tools/Drive/Data/Devices/");
    {
        SettingsStore store(install_, file_);
        EXPECT_EQ(std::tuple(store.DevicesFolder, store.BaudRate, store.ComPort),
                  std::tuple(QString("/somewhere/else/"), 115200, 255));
        std::tie(store.BaudRate, store.Parity) = std::pair(-2, 0); // the full 32-bit range
    }
    EXPECT_EQ(
        std::tuple(SettingsStore(install_, file_).BaudRate, SettingsStore(install_, file_).Parity),
        std::tuple(-2, 0));
    // A value of the wrong width is not taken (the field keeps its default); decimal text is.
    Store("Baud Rate", QByteArray::fromHex("00c201"));
    Store("Parity", QString("1"));
    // An older key lacks Position and ComPortTarn: they are added at once, not only at close.
    for (const char* key : {"Drivers", "Position", "ComPortTarn"})
        Store(key, {});
    SettingsStore store(install_, file_);
    EXPECT_EQ(std::tuple(store.BaudRate, store.Parity, store.ComPort, store.LinkComPort),
              std::tuple(19200, 1, 255, 10));
    EXPECT_EQ(QStringList({store.DriversFolder, store.ProfilesFolder, store.DevicesFolder,
                           Stored("Position").toString()}),
              QStringList({"", install_ + "Data/Profiles/", "/somewhere/else/",
                           install_ + "Data/Profiles/"}));
    EXPECT_EQ(Stored("ComPortTarn").toByteArray(), QByteArray::fromHex("0a"));
    Store("Parity", {});
    EXPECT_EQ(SettingsStore(install_, file_).Parity, 2);
}

TEST_F(SettingsStoreTest, MovedInstallationResetsEverything) {
    {
        SettingsStore store(install_, file_);
        std::tie(store.ComPort, store.BaudRate, store.LinkComPort) = std::tuple(4, 57600, 3);
        store.SetPortPath(4, "/dev/ttyUSB0");
    }
    // Started from another folder while the old installation still exists: nothing resets.
    EXPECT_EQ(std::tuple(SettingsStore(other_, file_).InstallFolder,
                         SettingsStore(other_, file_).ComPort),
              std::tuple(install_, 4));
    Store("Installation", QByteArray::fromHex("0102030405060708"));
    ASSERT_TRUE(QDir(install_ + "Data").removeRecursively());
    // Read only (the command line), nothing is reset and nothing written.
    const QByteArray before = FileBytes();
    EXPECT_EQ(SettingsStore(other_, file_, SettingsStore::Access::ReadOnly).ComPort, 4);
    EXPECT_EQ(FileBytes(), before);
    {
        SettingsStore store(other_, file_);
        EXPECT_EQ(QStringList({store.InstallFolder, store.DevicesFolder, store.ProfilesFolder}),
                  QStringList({other_, other_ + "Data/Devices/", other_ + "Data/Profiles/"}));
        EXPECT_EQ(std::tuple(store.ComPort, store.BaudRate, store.LinkComPort),
                  std::tuple(1, 19200, 10));
        EXPECT_TRUE(store.PortPath(4).isEmpty() && !Stored("PortPath4").isValid());
        const QByteArray renewed = Stored("Installation").toByteArray();
        EXPECT_TRUE(renewed.size() == 8 && renewed != QByteArray::fromHex("0102030405060708"));
        store.ComPort = 6;
    }
    // An empty "General" counts as moved too.
    Store("General", QString());
    SettingsStore store(other_, file_);
    EXPECT_EQ(std::tuple(store.InstallFolder, store.ComPort), std::tuple(other_, 1));
}

// An installed (marked, read-only) program keeps the user's folders in the user's data
// folder; it keeps its settings once its Data/ exists there, a removed one resets.
TEST_F(SettingsStoreTest, ReadOnlyInstallationUsesTheUserDataFolder) {
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (dir_.path() + "/share").toLocal8Bit());
    const QString system = dir_.path() + "/usr/lib/kelmdrive/";
    const QString data = dir_.path() + "/share/kelmdrive/Data/";
    ASSERT_TRUE(QDir().mkpath(system));
    ASSERT_TRUE(QFile(system + InstallMarker).open(QIODevice::WriteOnly));
    {
        SettingsStore store(system, file_);
        EXPECT_EQ(QStringList({store.InstallFolder, store.DevicesFolder, store.DriversFolder,
                               store.ProfilesFolder}),
                  QStringList({system, data + "Devices/", data + "Drivers/", data + "Profiles/"}));
        store.ComPort = 4;
    }
    EXPECT_EQ(SettingsStore(system, dir_.path() + "/new.ini", SettingsStore::Access::ReadOnly)
                  .DevicesFolder,
              data + "Devices/");
    ASSERT_TRUE(QDir().mkpath(data + "Devices")); // the program's start creates it
    EXPECT_EQ(SettingsStore(system, file_).ComPort, 4);
    EXPECT_FALSE(QFile::exists(system + "Data"));
    ASSERT_TRUE(QDir(system).removeRecursively());
    SettingsStore moved(install_, file_);
    EXPECT_EQ(std::tuple(moved.InstallFolder, moved.DevicesFolder, moved.ComPort),
              std::tuple(install_, install_ + "Data/Devices/", 1));
    qputenv("XDG_DATA_HOME", home);
}

TEST_F(SettingsStoreTest, OnlyChangedValuesAndPortPathsAreWritten) {
    { SettingsStore created(install_, file_); }
    // A hand-written comment line survives only as long as nobody rewrites the file.
    {
        QFile f(file_);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("; kept while untouched\n");
    }
    const QByteArray untouched = FileBytes();
    {
        SettingsStore store(install_, file_);
        store.DevicesFolder = store.DevicesFolder; // assigned, but equal
        store.SetPortPath(3, QString());           // no mapping to remove
        store.Save();
    }
    EXPECT_EQ(FileBytes(), untouched);
    {
        SettingsStore store(install_, file_);
        store.ComPort = 5;
        store.SetPortPath(3, "/dev/ttyUSB0");
        store.SetPortPath(12, "/tmp/sim-port");
        store.SetPortPath(0, "/dev/null");   // not a COM number
        store.SetPortPath(256, "/dev/null"); // out of range
        store.Save();
        EXPECT_EQ(std::pair(Stored("ComPort"), Stored("General")),
                  std::pair(QVariant(QByteArray::fromHex("05")), QVariant(install_)));
        // Saving again with nothing changed leaves the file byte for byte.
        const QByteArray before = FileBytes();
        store.Save();
        EXPECT_EQ(FileBytes(), before);
        // A value changed on disk behind the store's back is put back to the store's field:
        // the comparison is with what is stored, as at every close.
        Store("Parity", QByteArray::fromHex("00"));
        store.Save();
        EXPECT_EQ(Stored("Parity").toByteArray(), QByteArray::fromHex("02"));
    }
    EXPECT_EQ(Stored("PortPath12").toString(), "/tmp/sim-port");
    EXPECT_FALSE(Stored("PortPath0").isValid() || Stored("PortPath256").isValid());
    {
        SettingsStore store(install_, file_);
        EXPECT_EQ(store.PortPath(3), "/dev/ttyUSB0");
        const QByteArray before = FileBytes();
        store.SetPortPath(3, "/dev/ttyUSB0"); // same value: no write
        store.Save();
        EXPECT_EQ(FileBytes(), before);
        store.SetPortPath(12, QString()); // empty removes the mapping
    }
    EXPECT_EQ(std::pair(Stored("PortPath12"), Stored("PortPath3")),
              std::pair(QVariant(), QVariant("/dev/ttyUSB0")));
}

TEST_F(SettingsStoreTest, UncreatableDevicesFolderFallsBackToTheDefault) {
    RecordingMessages messages;
    SettingsStore store(install_, file_);
    ASSERT_TRUE(QFile(install_ + "stick").open(QIODevice::WriteOnly)); // a file, no folder
    store.DevicesFolder = install_ + "stick/Devices/";
    FallBackToDefaultDevicesFolder(store);
    EXPECT_EQ(store.DevicesFolder, install_ + "Data/Devices/");
    EXPECT_EQ(messages.Texts(),
              QStringList{"Fail to Devices Folder\r" + install_ +
                          "stick/Devices/\rUsing Default Folder\r" + install_ + "Data/Devices/"});
}

// A pipe in place of the settings file would block every read and write of it for good.
TEST_F(SettingsStoreTest, PipeAsSettingsFileGivesDefaultsAndIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file_).path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(file_).constData(), 0600), 0);
    RecordingMessages messages;
    {
        SettingsStore store(install_, file_);
        EXPECT_EQ(std::tuple(store.InstallFolder, store.BaudRate), std::tuple(install_, 19200));
        store.Save();
    }
    EXPECT_EQ(messages.Texts(), QStringList{"Settings file not usable: " + file_ +
                                            "\rIt is a FIFO (named pipe).\rDefault settings are "
                                            "used and not saved."});
}

TEST(SettingsStoreLocation, DefaultFileFollowsXdgConfigHome) {
    QTemporaryDir dir;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    EXPECT_EQ(SettingsStore(dir.path() + "/exe").SettingsFile(), dir.path() + "/Dorsel/Kelmmb.ini");
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/Dorsel/Kelmmb.ini"));
    qputenv("XDG_CONFIG_HOME", old);
}
