#include "ui/shell/ExtraLinkPorts.h"

#include <QStringList>
#include <algorithm>

namespace kelm {

std::vector<DiscoveredPort> ParseLinkPortList(const QString& text) {
    std::vector<DiscoveredPort> ports;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok || number < 1 || number > 255)
            continue;
        ports.push_back({static_cast<std::uint8_t>(number), 1});
    }
    return MergeLinkPorts({}, ports);
}

std::vector<DiscoveredPort> MergeLinkPorts(std::vector<DiscoveredPort> found,
                                           const std::vector<DiscoveredPort>& extra) {
    for (const DiscoveredPort& port : extra) {
        const bool known = std::any_of(found.begin(), found.end(), [&](const DiscoveredPort& p) {
            return p.ComNumber == port.ComNumber;
        });
        if (!known)
            found.push_back(port);
    }
    std::sort(found.begin(), found.end(), [](const DiscoveredPort& a, const DiscoveredPort& b) {
        return a.ComNumber < b.ComNumber;
    });
    return found;
}

} // namespace kelm
