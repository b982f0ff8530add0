#include "ui/shell/ProgramLaunch.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace kelm {

QString ResolveProgram(const QString& name, const QString& installFolder,
                       const QStringList& searchPaths) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (QFileInfo(trimmed).isAbsolute())
        return QFileInfo(trimmed).isFile() ? trimmed : QString();
    const QFileInfo inBin(installFolder + QStringLiteral("Bin/") + trimmed);
    if (inBin.isFile())
        return inBin.absoluteFilePath();
    // Only a bare name is looked up on the PATH; "sub/name" stays relative to Bin/.
    if (trimmed.contains(QLatin1Char('/')))
        return {};
    return QStandardPaths::findExecutable(trimmed, searchPaths);
}

bool LaunchResolved(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

} // namespace kelm
