#include "sim/engine/KindTables.h"

#include "core/config/DeviceConfiguration.h"

#include <QDir>
#include <QFile>

namespace kelm::sim {

QString ConfigurationFileName(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return QStringLiteral("TarnPower.dll");
    case DeviceKind::Drive:
        return QStringLiteral("TarnDrive.dll");
    case DeviceKind::Orca230:
        return QStringLiteral("TarnOrca230.dll");
    case DeviceKind::Std:
        break;
    }
    return QStringLiteral("device.dll");
}

bool LoadKindTable(DeviceKind kind, const QString& binFolder, ParamTable& table, QString& error) {
    const QString path = QDir(binFolder).filePath(ConfigurationFileName(kind));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    table.Clear();
    if (!LoadConfiguration(table, file, QString::fromLatin1(DeviceConfigurationHeader),
                           QString::fromLatin1(DeviceConfigurationErrorTitle))) {
        error = QStringLiteral("%1 is not a valid configuration file").arg(path);
        return false;
    }
    return true;
}

} // namespace kelm::sim
