#pragma once

#include "core/link/PortNames.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace kelm {

// A COM port found to belong to a multi-axis link adapter. The drive model owns the list.
struct DiscoveredPort {
    std::uint8_t ComNumber = 0;
    std::uint8_t UnitKind = 1; // 1 when discovered; the connection logic may change it

    friend bool operator==(const DiscoveredPort&, const DiscoveredPort&) = default;
};

// USB identity of the link adapter.
inline constexpr const char* LinkAdapterVendorId = "04d8";
inline constexpr const char* LinkAdapterProductId = "f71c";

// Lists the present serial ports whose USB device is a link adapter: every entry of
// <sysfsRoot>/class/tty whose "device" link leads, walking up, to a USB device directory with
// idVendor 04d8 and idProduct f71c. Works from sysfs alone (no udev needed). Ports without a
// COM number (see PortNames) are left out. Sorted by COM number. Never reports anything.
std::vector<DiscoveredPort> DiscoverLinkPorts(const QString& sysfsRoot = QStringLiteral("/sys"),
                                              const PortNames& names = PortNames());

} // namespace kelm
