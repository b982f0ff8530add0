#include "sim/engine/KindTables.h"

#include "core/config/ConfigurationSet.h"
#include "core/config/DeviceConfiguration.h"

#include <QDir>
#include <QFile>

namespace kelm::sim {

bool LoadKindTable(DeviceKind kind, const QString& binFolder, ParamTable& table, QString& error) {
    const QString path = QDir(binFolder).filePath(ConfigurationSet::DeviceFileName(kind));
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
