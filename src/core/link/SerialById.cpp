#include "core/link/SerialById.h"

#include <QDir>
#include <QFileInfo>

namespace kelm {

QStringList ByIdPaths(const QString& byIdFolder) {
    const QDir folder(byIdFolder);
    QStringList paths;
    for (const QString& name : folder.entryList(QDir::System | QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    return paths;
}

QString ByIdPathOf(const QString& devicePath, const QString& byIdFolder) {
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return {};
    for (const QString& path : ByIdPaths(byIdFolder))
        if (QFileInfo(path).canonicalFilePath() == device)
            return path;
    return {};
}

QString ExpandByIdName(const QString& typed, const QString& byIdFolder) {
    const QString name = typed.trimmed();
    if (name.isEmpty() || name.contains(u'/'))
        return name;
    const QString path = QDir(byIdFolder).filePath(name);
    return QFileInfo::exists(path) ? path : name;
}

} // namespace kelm
