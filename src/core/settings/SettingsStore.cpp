#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QtEndian>

namespace kelm {

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kDevices = QStringLiteral("Devices");
const QString kDrivers = QStringLiteral("Drivers");
const QString kPosition = QStringLiteral("Position");
const QString kComPort = QStringLiteral("ComPort");
const QString kBaudRate = QStringLiteral("Baud Rate");
const QString kParity = QStringLiteral("Parity");
const QString kComPortTarn = QStringLiteral("ComPortTarn");
const QString kInstallation = QStringLiteral("Installation");
const QString kPortPathPrefix = QStringLiteral("PortPath");

QString WithSlash(QString folder) {
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

// Binary values hold their number least significant byte first in exactly `width` bytes.
QByteArray ToBinary(std::uint32_t value, int width) {
    QByteArray bytes(width, '\0');
    for (int i = 0; i < width; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// True when `key` holds a binary value of exactly `width` bytes; anything else (missing,
// text, other width) counts as absent so the field keeps its default.
bool ReadBinary(const QSettings& s, const QString& key, int width, std::uint32_t& out) {
    const QVariant v = s.value(key);
    if (v.typeId() != QMetaType::QByteArray)
        return false;
    const QByteArray bytes = v.toByteArray();
    if (bytes.size() != width)
        return false;
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
    out = value;
    return true;
}

void ReadByte(const QSettings& s, const QString& key, std::uint8_t& field) {
    std::uint32_t v = 0;
    if (ReadBinary(s, key, 1, v))
        field = static_cast<std::uint8_t>(v);
}

// The creation time as a day count since 1899-12-30 (fraction = time of day), stored as an
// 8-byte little-endian double like the Windows date-time value.
QByteArray InstallationStamp() {
    const QDateTime now = QDateTime::currentDateTime();
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(now.date())) +
                        now.time().msecsSinceStartOfDay() / 86400000.0;
    QByteArray bytes(8, '\0');
    qToLittleEndian(days, bytes.data());
    return bytes;
}

void WriteStringIfChanged(QSettings& s, const QString& key, const QString& field) {
    if (!s.contains(key) || s.value(key).toString() != field)
        s.setValue(key, field);
}

void WriteBinaryIfChanged(QSettings& s, const QString& key, std::uint32_t field, int width) {
    const QByteArray wanted = ToBinary(field, width);
    const QVariant stored = s.value(key);
    if (stored.typeId() != QMetaType::QByteArray || stored.toByteArray() != wanted)
        s.setValue(key, wanted);
}

} // namespace

SettingsStore::SettingsStore(const QString& executableFolder, const QString& settingsFile)
    : executableFolder_(WithSlash(executableFolder)), settingsFile_(settingsFile) {
    Load();
}

SettingsStore::~SettingsStore() {
    Save();
}

QString SettingsStore::DefaultExecutableFolder() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

QString SettingsStore::DefaultSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Dorsel/Kelmmb.ini");
}

void SettingsStore::Load() {
    QSettings s(settingsFile_, QSettings::IniFormat);
    s.beginGroup(Group);

    // An installation that moved (or was removed) leaves a "General" whose Data/ folder is
    // gone: every setting is reset. An empty "General" would resolve against the current
    // directory, so it counts as gone too.
    if (!s.childKeys().isEmpty()) {
        const QString general = s.value(kGeneral).toString();
        if (general.isEmpty() || !QDir(general + QStringLiteral("Data/")).exists())
            s.remove(QString());
    }

    if (s.childKeys().isEmpty()) {
        s.setValue(kInstallation, InstallationStamp());
        InstallFolder = executableFolder_;
        DevicesFolder = InstallFolder + QStringLiteral("Data/Devices/");
        DriversFolder = InstallFolder + QStringLiteral("Data/Drivers/");
        ProfilesFolder = InstallFolder + QStringLiteral("Data/Profiles/");
        s.setValue(kGeneral, InstallFolder);
        s.setValue(kDevices, DevicesFolder);
        s.setValue(kDrivers, DriversFolder);
        s.setValue(kPosition, ProfilesFolder);
        ComPort = 1;
        BaudRate = 19200;
        Parity = 2;
        s.setValue(kComPort, ToBinary(ComPort, 1));
        s.setValue(kBaudRate, ToBinary(static_cast<std::uint32_t>(BaudRate), 4));
        s.setValue(kParity, ToBinary(Parity, 1));
    }

    InstallFolder = s.value(kGeneral).toString();
    DevicesFolder = s.value(kDevices).toString();
    DriversFolder = s.value(kDrivers).toString();
    ReadByte(s, kComPort, ComPort);
    std::uint32_t baud = 0;
    if (ReadBinary(s, kBaudRate, 4, baud))
        BaudRate = static_cast<std::int32_t>(baud);
    ReadByte(s, kParity, Parity);

    if (!s.contains(kPosition))
        s.setValue(kPosition, InstallFolder + QStringLiteral("Data/Profiles/"));
    ProfilesFolder = s.value(kPosition).toString();

    if (!s.contains(kComPortTarn)) {
        LinkComPort = 10;
        s.setValue(kComPortTarn, ToBinary(LinkComPort, 1));
    }
    ReadByte(s, kComPortTarn, LinkComPort);

    portPaths_.clear();
    for (const QString& key : s.childKeys()) {
        if (!key.startsWith(kPortPathPrefix))
            continue;
        bool ok = false;
        const int com = key.mid(kPortPathPrefix.size()).toInt(&ok);
        if (ok && com >= 1 && com <= 255)
            portPaths_[com] = s.value(key).toString();
    }

    s.endGroup();
    s.sync();
}

void SettingsStore::Save() {
    QSettings s(settingsFile_, QSettings::IniFormat);
    s.beginGroup(Group);
    WriteStringIfChanged(s, kGeneral, InstallFolder);
    WriteStringIfChanged(s, kDevices, DevicesFolder);
    WriteStringIfChanged(s, kDrivers, DriversFolder);
    WriteStringIfChanged(s, kPosition, ProfilesFolder);
    WriteBinaryIfChanged(s, kComPort, ComPort, 1);
    WriteBinaryIfChanged(s, kBaudRate, static_cast<std::uint32_t>(BaudRate), 4);
    WriteBinaryIfChanged(s, kParity, Parity, 1);
    WriteBinaryIfChanged(s, kComPortTarn, LinkComPort, 1);
    for (const auto& [com, path] : portPaths_) {
        const QString key = kPortPathPrefix + QString::number(com);
        if (path.isEmpty()) {
            if (s.contains(key))
                s.remove(key);
        } else {
            WriteStringIfChanged(s, key, path);
        }
    }
    s.endGroup();
    s.sync();
}

QString SettingsStore::PortPath(int com) const {
    const auto it = portPaths_.find(com);
    return it == portPaths_.end() ? QString() : it->second;
}

void SettingsStore::SetPortPath(int com, const QString& path) {
    if (com < 1 || com > 255)
        return;
    portPaths_[com] = path;
}

} // namespace kelm
