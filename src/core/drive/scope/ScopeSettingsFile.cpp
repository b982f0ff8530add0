#include "core/drive/scope/ScopeSettingsFile.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/scope/ScopeRegisters.h"
#include "core/params/ParamTable.h"
#include "core/text/InputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace kelm {

namespace {

QString KeyOf(std::uint16_t address) {
    return QStringLiteral("O") + QString::number(address);
}

} // namespace

ScopeSettingsFile ScopeSettingsFile::For(const QString& settingsFile,
                                         const QString& installFolder) {
    return ScopeSettingsFile(QFileInfo(settingsFile).absolutePath() +
                                 QStringLiteral("/ZavaRive.dll"),
                             installFolder + QStringLiteral("Bin/ZavaRive.dll"));
}

QString ScopeSettingsFile::SectionOf(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).ScopeSection);
}

bool ScopeSettingsFile::Load(DeviceKind kind, ParamTable& table,
                             std::array<int, 2>& offsets) const {
    const QString section = SectionOf(kind);
    if (section.isEmpty())
        return true;
    const QString path = QFileInfo::exists(userFile_) ? userFile_ : shippedFile_;
    // QSettings would wait for good on a pipe and read a huge file whole: such a file
    // counts as missing.
    if (QString reason; !CanOpenInputFile(path, reason))
        return false;
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(section);
    for (ParamEntry& entry : table) {
        // The recorder is never armed by a stored setting, and the sample factors are
        // the drive's: neither is taken from the file.
        if (entry.Address == scope::Command || scope::IsSetByDrive(entry.Address))
            continue;
        bool ok = false;
        const int value = ini.value(KeyOf(entry.Address)).toString().trimmed().toInt(&ok);
        if (ok)
            entry.Value = static_cast<std::int16_t>(value);
    }
    for (int channel = 0; channel < 2; ++channel) {
        bool ok = false;
        const QString key = QStringLiteral("Ofs") + QString::number(channel + 1);
        const int value = ini.value(key).toString().trimmed().toInt(&ok);
        if (ok)
            offsets[static_cast<std::size_t>(channel)] = value;
    }
    return true;
}

bool ScopeSettingsFile::Save(DeviceKind kind, const ParamTable& table,
                             const std::array<int, 2>& offsets) const {
    const QString section = SectionOf(kind);
    if (section.isEmpty())
        return true;
    const QFileInfo info(userFile_);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    if (!info.exists() && QFileInfo::exists(shippedFile_)) {
        QFile::copy(shippedFile_, userFile_);
        QFile::setPermissions(userFile_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                             QFile::ReadOther);
    }
    QSettings ini(userFile_, QSettings::IniFormat);
    ini.beginGroup(section);
    for (const ParamEntry& entry : table)
        ini.setValue(
            KeyOf(entry.Address),
            QString::number(entry.Address == scope::Command ? scope::StateIdle : entry.Value));
    ini.setValue(QStringLiteral("Ofs1"), QString::number(offsets[0]));
    ini.setValue(QStringLiteral("Ofs2"), QString::number(offsets[1]));
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace kelm
