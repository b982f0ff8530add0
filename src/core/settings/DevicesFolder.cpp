#include "core/settings/DevicesFolder.h"

#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/UserDataFolder.h"

#include <QDir>

namespace kelm {

void FallBackToDefaultDevicesFolder(SettingsStore& settings) {
    const QString fallback = DataRootOf(settings.InstallFolder) + QStringLiteral("Data/Devices/");
    if (settings.DevicesFolder == fallback || QDir().mkpath(settings.DevicesFolder))
        return;
    ShowError(QStringLiteral("Fail to Devices Folder\r") + settings.DevicesFolder +
              QStringLiteral("\rUsing Default Folder\r") + fallback);
    settings.DevicesFolder = fallback;
}

} // namespace kelm
