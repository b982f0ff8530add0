#pragma once

#include <QString>
#include <QStringList>

namespace kelm {

// Finds a program (or document) the configuration names, such as the firmware loader:
// the installation's Bin/ folder first, then the folders of PATH (or searchPaths when
// given). An absolute name is taken as it is. Empty when it is found nowhere.
QString ResolveProgram(const QString& name, const QString& installFolder,
                       const QStringList& searchPaths = {});

// Starts a resolved executable detached in its own folder, or opens a resolved document
// with the desktop's associated application. false when that failed.
bool LaunchResolved(const QString& path);

} // namespace kelm
