#include "core/settings/UserDataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kelm {

bool ReadOnlyInstallation(const QString& installFolder) {
    const QFileInfo folder(installFolder);
    return folder.isDir() &&
           (!folder.isWritable() ||
            QFileInfo::exists(QDir(installFolder).filePath(QLatin1String(InstallMarker))));
}

QString UserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelmdrive/");
}

QString DataRootOf(const QString& installFolder) {
    return ReadOnlyInstallation(installFolder) ? UserDataFolder() : installFolder;
}

} // namespace kelm
