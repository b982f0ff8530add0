#include "core/link/LinkPortDiscovery.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kelm;

namespace {

// A minimal sysfs tree: USB devices under devices/, ttys under class/tty/ with a "device"
// link, as the kernel lays them out for cdc-acm and usb-serial adapters.
struct FakeSysfs {
    QString Root() const { return dir.path(); }
    void MakeDir(const QString& relative) { EXPECT_TRUE(QDir(Root()).mkpath(relative)); }

    // A USB device directory with its identity (none when vendor is null).
    QString AddUsbDevice(const QString& relative, const char* vendor, const char* product) {
        MakeDir(relative);
        for (const auto& [name, id] : {std::pair("/idVendor", vendor), {"/idProduct", product}}) {
            QFile file(dir.filePath(relative + name));
            EXPECT_TRUE(!id || (file.open(QIODevice::WriteOnly) && file.write(id) > 0));
        }
        return relative;
    }

    // A tty of a cdc-acm interface (device -> the interface directory) or of a usb-serial
    // adapter (device -> interface/ttyUSBn, two levels below the USB device).
    void AddTty(const QString& tty, const QString& usbDevice, bool usbSerial = false) {
        const QString device = usbDevice + "/" + QDir(usbDevice).dirName() + ":1.0" +
                               (usbSerial ? "/" + tty : QString());
        MakeDir(device + "/tty/" + tty);
        AddClassEntry(tty, dir.filePath(device));
    }

    void AddClassEntry(const QString& tty, const QString& deviceTarget) {
        MakeDir("class/tty/" + tty);
        EXPECT_TRUE(deviceTarget.isEmpty() ||
                    QFile::link(deviceTarget, dir.filePath("class/tty/" + tty + "/device")));
    }

    QTemporaryDir dir;
};

const QString Bus = QStringLiteral("devices/pci0000:00/0000:00:14.0/usb1");

} // namespace

TEST(LinkPortDiscovery, FindsAdaptersSortedByComNumber) {
    FakeSysfs sys;
    sys.AddTty("ttyACM1", sys.AddUsbDevice(Bus + "/1-2", "04d8", "f71c"));
    sys.AddTty("ttyACM0", sys.AddUsbDevice(Bus + "/1-1", "04D8", "F71C"));
    sys.AddTty("ttyUSB3", sys.AddUsbDevice(Bus + "/1-3", "04d8", "f71c"), true);
    sys.AddTty("ttyACM12", sys.AddUsbDevice(Bus + "/1-7", "04d8", "f71c")); // no COM number
    // Not link adapters: another vendor, another product, a platform port, a virtual tty, a
    // USB device without identity, and a foreign adapter behind a hub that happens to carry
    // the link identity (the nearest USB device decides).
    sys.AddTty("ttyUSB0", sys.AddUsbDevice(Bus + "/1-4", "0403", "6001"), true);
    sys.AddTty("ttyACM2", sys.AddUsbDevice(Bus + "/1-5", "04d8", "000a"));
    sys.MakeDir("devices/platform/serial8250/tty/ttyS0");
    sys.AddClassEntry("ttyS0", sys.Root() + "/devices/platform/serial8250");
    sys.AddClassEntry("tty0", "");
    sys.AddTty("ttyACM3", sys.AddUsbDevice(Bus + "/1-8", nullptr, nullptr));
    const QString hub = sys.AddUsbDevice(Bus + "/1-6", "04d8", "f71c");
    sys.AddTty("ttyACM4", sys.AddUsbDevice(hub + "/1-6.1", "1234", "5678"));

    EXPECT_EQ(DiscoverLinkPorts(sys.Root()),
              (std::vector<DiscoveredPort>{{24, 1}, {31, 1}, {32, 1}}));
    EXPECT_TRUE(DiscoverLinkPorts("/nonexistent/sysfs").empty());
    // The configured COM numbers count.
    const PortNames names(
        [](int com) { return com == 5 ? QStringLiteral("/dev/ttyACM12") : QString(); });
    EXPECT_EQ(DiscoverLinkPorts(sys.Root(), names),
              (std::vector<DiscoveredPort>{{5, 1}, {24, 1}, {31, 1}, {32, 1}}));
}
