#include "core/link/AdapterLatency.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace kelm {

AdapterLatency ReadAdapterLatency(const QString& devicePath, const QString& sysfsRoot) {
    AdapterLatency latency;
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return latency;
    const QString path = sysfsRoot + QStringLiteral("/class/tty/") + QFileInfo(device).fileName() +
                         QStringLiteral("/device/latency_timer");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return latency;
    bool number = false;
    const int ms = QString::fromLatin1(file.read(16)).trimmed().toInt(&number);
    if (!number || ms < 0)
        return latency;
    latency.TimerMs = ms;
    latency.TimerPath = path;
    latency.Writable = ::access(QFile::encodeName(path).constData(), W_OK) == 0;
    return latency;
}

AdapterLatency LowerAdapterLatency(const QString& devicePath, const QString& sysfsRoot) {
    const AdapterLatency before = ReadAdapterLatency(devicePath, sysfsRoot);
    if (!before.Slow() || !before.Writable)
        return before;
    QFile file(before.TimerPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("1\n");
    file.close();
    return ReadAdapterLatency(devicePath, sysfsRoot);
}

QString DescribeAdapterLatency(const AdapterLatency& latency) {
    if (!latency.TimerMs)
        return {};
    QString text = QStringLiteral("adapter latency %1 ms").arg(*latency.TimerMs);
    if (latency.Slow())
        text += QStringLiteral(
            " (replies wait in the adapter; for 1 ms on every plug-in, add the udev rule "
            "of the README: ACTION==\"add\", SUBSYSTEM==\"usb-serial\", DRIVER==\"ftdi_sio\", "
            "ATTR{latency_timer}=\"1\")");
    return text;
}

} // namespace kelm
