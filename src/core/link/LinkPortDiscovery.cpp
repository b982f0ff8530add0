#include "core/link/LinkPortDiscovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kelm {
namespace {

// How far above a tty's device the USB device directory may lie (interface, then device;
// usb-serial adds one more level).
constexpr int MaxLevelsUp = 4;

QString ReadId(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(file.read(16)).trimmed().toLower();
}

// True when the device directory or one of its parents is the link adapter's USB device.
bool BelongsToLinkAdapter(const QString& deviceDir, const QString& devicesRoot) {
    QDir dir(deviceDir);
    for (int level = 0; level <= MaxLevelsUp; ++level) {
        if (!dir.absolutePath().startsWith(devicesRoot)) {
            return false;
        }
        if (dir.exists(QStringLiteral("idVendor")) && dir.exists(QStringLiteral("idProduct"))) {
            // The nearest USB device decides, whatever it is.
            return ReadId(dir.filePath(QStringLiteral("idVendor"))) ==
                       QLatin1String(LinkAdapterVendorId) &&
                   ReadId(dir.filePath(QStringLiteral("idProduct"))) ==
                       QLatin1String(LinkAdapterProductId);
        }
        if (!dir.cdUp()) {
            return false;
        }
    }
    return false;
}

} // namespace

std::vector<DiscoveredPort> DiscoverLinkPorts(const QString& sysfsRoot, const PortNames& names) {
    std::vector<DiscoveredPort> ports;
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    if (root.isEmpty()) {
        return ports;
    }
    const QDir ttyClass(root + QStringLiteral("/class/tty"));
    const QStringList ttys =
        ttyClass.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& tty : ttys) {
        const QString device =
            QFileInfo(ttyClass.filePath(tty) + QStringLiteral("/device")).canonicalFilePath();
        if (device.isEmpty() || !BelongsToLinkAdapter(device, root + QLatin1Char('/'))) {
            continue;
        }
        const int com = names.ComNumber(QStringLiteral("/dev/") + tty);
        if (com > 0 && com <= PortNames::MaxComNumber) {
            ports.push_back(DiscoveredPort{static_cast<std::uint8_t>(com), 1});
        }
    }
    std::stable_sort(
        ports.begin(), ports.end(),
        [](const DiscoveredPort& a, const DiscoveredPort& b) { return a.ComNumber < b.ComNumber; });
    return ports;
}

} // namespace kelm
