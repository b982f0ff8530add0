#include "core/settings/SettingsStore.h"
#include "core/settings/UserDataFolder.h"

#include "core/seams/Messages.h"
#include "core/text/InputFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
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
const QString kScopeFolder = QStringLiteral("ScopeFolder");

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

// True when `key` holds a number: a binary value of exactly `width` bytes, or plain decimal
// text (a value written by hand) that fits the width. Anything else (missing, other text,
// other width) counts as absent so the field keeps its default.
bool ReadBinary(const QSettings& s, const QString& key, int width, std::uint32_t& out) {
    const QVariant v = s.value(key);
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const qlonglong number = v.toString().trimmed().toLongLong(&ok);
        const bool fits = width == 1 ? (number >= 0 && number <= 0xFF)
                                     : (number >= INT32_MIN && number <= 0xFFFFFFFFLL);
        if (!ok || !fits)
            return false;
        out = static_cast<std::uint32_t>(number);
        return true;
    }
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

// A stored number equal to the field, binary or plain text, is left as it is.
void WriteBinaryIfChanged(QSettings& s, const QString& key, std::uint32_t field, int width) {
    std::uint32_t stored = 0;
    if (!ReadBinary(s, key, width, stored) || stored != field)
        s.setValue(key, ToBinary(field, width));
}

} // namespace

SettingsStore::SettingsStore(const QString& executableFolder, const QString& settingsFile,
                             Access access)
    : executableFolder_(WithSlash(executableFolder)), settingsFile_(settingsFile), access_(access) {
    Load();
}

SettingsStore::~SettingsStore() {
    if (access_ == Access::Program)
        Save();
}

QString SettingsStore::DefaultExecutableFolder() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

QString SettingsStore::DefaultSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Dorsel/Kelmmb.ini");
}

QString SettingsStore::FileInUse() const {
    return usable_ ? settingsFile_ : QStringLiteral("/dev/null/unusable.ini");
}

void SettingsStore::Load() {
    QString reason;
    if (QFileInfo::exists(settingsFile_) && !CanOpenInputFile(settingsFile_, reason) &&
        !reason.isEmpty()) {
        // Defaults for this run, and nothing written where it could block or grow.
        usable_ = false;
        access_ = Access::ReadOnly;
        ShowError(WithReason(QStringLiteral("Settings file not usable: ") + settingsFile_, reason) +
                  QStringLiteral("\rDefault settings are used and not saved."));
    }
    QSettings s(FileInUse(), QSettings::IniFormat);
    s.beginGroup(Group);
    if (access_ == Access::Program)
        Prepare(s);

    // Read only, a store never created reads as a new one; a missing string reads empty.
    const bool created = s.contains(kGeneral);
    const auto folder = [&](const QString& key, const QString& sub) {
        return created ? s.value(key).toString() : DataRootOf(executableFolder_) + sub;
    };
    InstallFolder = created ? s.value(kGeneral).toString() : executableFolder_;
    DevicesFolder = folder(kDevices, QStringLiteral("Data/Devices/"));
    DriversFolder = folder(kDrivers, QStringLiteral("Data/Drivers/"));
    ReadByte(s, kComPort, ComPort);
    std::uint32_t baud = 0;
    if (ReadBinary(s, kBaudRate, 4, baud))
        BaudRate = static_cast<std::int32_t>(baud);
    ReadByte(s, kParity, Parity);
    ProfilesFolder =
        s.value(kPosition, DataRootOf(InstallFolder) + QStringLiteral("Data/Profiles/")).toString();
    ReadByte(s, kComPortTarn, LinkComPort);
    ScopeFolder = s.value(kScopeFolder).toString();

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
    if (access_ == Access::Program)
        s.sync();
}

// The program's start: resets a moved installation, creates a new store, adds values an
// older store lacks.
void SettingsStore::Prepare(QSettings& s) {
    // An installation that moved (or was removed) leaves a "General" whose Data/ folder
    // (beside it, or in the user's data folder for a read-only installation) is gone:
    // every setting is reset. An empty "General" would resolve against the current
    // directory, so it counts as gone too.
    if (!s.childKeys().isEmpty()) {
        const QString general = s.value(kGeneral).toString();
        if (general.isEmpty() || !QDir(DataRootOf(general) + QStringLiteral("Data/")).exists())
            s.remove(QString());
    }

    if (!s.contains(kGeneral)) {
        s.setValue(kInstallation, InstallationStamp());
        InstallFolder = executableFolder_;
        const QString data = DataRootOf(InstallFolder) + QStringLiteral("Data/");
        DevicesFolder = data + QStringLiteral("Devices/");
        DriversFolder = data + QStringLiteral("Drivers/");
        ProfilesFolder = data + QStringLiteral("Profiles/");
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

    if (!s.contains(kPosition))
        s.setValue(kPosition,
                   DataRootOf(s.value(kGeneral).toString()) + QStringLiteral("Data/Profiles/"));
    if (!s.contains(kComPortTarn)) {
        LinkComPort = 10;
        s.setValue(kComPortTarn, ToBinary(LinkComPort, 1));
    }
}

void SettingsStore::Save() {
    if (!usable_)
        return;
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
    if (!ScopeFolder.isEmpty() || s.contains(kScopeFolder))
        WriteStringIfChanged(s, kScopeFolder, ScopeFolder);
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
