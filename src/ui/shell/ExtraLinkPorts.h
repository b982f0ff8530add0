#pragma once

#include "core/link/LinkPortDiscovery.h"

#include <QString>
#include <vector>

namespace kelm {

// COM numbers named in KELM_LINK_PORTS ("1" or "1,3") count as discovered link ports, in
// addition to the adapters found on the system. Scripts use it to offer a simulated link
// on a pseudo-terminal (which has no USB identity). Numbers outside 1..255 and duplicates
// are ignored.
std::vector<DiscoveredPort> ParseLinkPortList(const QString& text);
// The discovered ports plus the extra ones, sorted by COM number, without duplicates.
std::vector<DiscoveredPort> MergeLinkPorts(std::vector<DiscoveredPort> found,
                                           const std::vector<DiscoveredPort>& extra);

} // namespace kelm
