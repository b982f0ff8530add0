#include "core/link/SerialById.h"

#include <QDir>
#include <QFileInfo>

namespace kelm {

QString ByIdPathOf(const QString& devicePath, const QString& byIdFolder) {
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return {};
    const QDir folder(byIdFolder);
    for (const QString& name : folder.entryList(QDir::System | QDir::Files, QDir::Name)) {
        const QString path = folder.filePath(name);
        if (QFileInfo(path).canonicalFilePath() == device)
            return path;
    }
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
