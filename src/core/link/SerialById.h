#pragma once

#include <QString>
#include <QStringList>

namespace kelm {

// Stable names of serial devices: the links udev keeps in /dev/serial/by-id/, named after
// the adapter's maker, model and serial number, so they survive re-plugging where
// /dev/ttyUSB<n> may change.
inline constexpr const char* SerialByIdFolder = "/dev/serial/by-id";

// The by-id path whose link leads to the same device as devicePath; empty when none does.
QString ByIdPathOf(const QString& devicePath,
                   const QString& byIdFolder = QLatin1String(SerialByIdFolder));

// The full paths of the stable names present, sorted.
QStringList ByIdPaths(const QString& byIdFolder = QLatin1String(SerialByIdFolder));

// A device path typed for a COM number: a bare name (no '/') found in byIdFolder becomes
// its full by-id path; anything else is kept as typed (trimmed).
QString ExpandByIdName(const QString& typed,
                       const QString& byIdFolder = QLatin1String(SerialByIdFolder));

} // namespace kelm
