#pragma once

#include <QString>
#include <optional>

namespace kelm {

// How long a USB serial adapter holds received bytes before passing them on. Adapters such
// as FTDI's wait up to their latency timer (16 ms by default) for more bytes, which can
// multiply the time of a table read; their driver shows the timer in sysfs as
// <sysfsRoot>/class/tty/<name>/device/latency_timer.
struct AdapterLatency {
    std::optional<int> TimerMs; // empty: the port's driver shows no timer
    bool Writable = false;      // this user may change the timer
    QString TimerPath;          // the sysfs file, when there is one

    // Above 1 ms: bytes wait in the adapter.
    bool Slow() const { return TimerMs && *TimerMs > 1; }
};

// The timer of the adapter behind devicePath (links such as /dev/serial/by-id/ followed);
// nothing for a device whose driver has none.
AdapterLatency ReadAdapterLatency(const QString& devicePath,
                                  const QString& sysfsRoot = QStringLiteral("/sys"));
// Sets the timer to 1 ms where the user may; the timer as it is afterwards.
AdapterLatency LowerAdapterLatency(const QString& devicePath,
                                   const QString& sysfsRoot = QStringLiteral("/sys"));

// "adapter latency 16 ms" and, while it stays above 1 ms, how to make 1 ms permanent;
// empty for a port without a timer.
QString DescribeAdapterLatency(const AdapterLatency& latency);

} // namespace kelm
