#include "core/link/LinkPortDiscovery.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kelm;

namespace {

// A minimal sysfs tree: USB devices under devices/, ttys under class/tty/ with a "device"
// link, as the kernel lays them out for cdc-acm and usb-serial adapters.
class FakeSysfs {
public:
    FakeSysfs() { EXPECT_TRUE(dir_.isValid()); }

    QString Root() const { return dir_.path(); }

    // A USB device directory with its identity; returns its path relative to the root.
    QString AddUsbDevice(const QString& relative, const QString& vendor, const QString& product) {
        MakeDir(relative);
        Write(relative + "/idVendor", vendor + "\n");
        Write(relative + "/idProduct", product + "\n");
        return relative;
    }

    // A tty of a cdc-acm interface: device -> the interface directory.
    void AddAcmTty(const QString& tty, const QString& usbDevice) {
        const QString interface = usbDevice + "/" + QDir(usbDevice).dirName() + ":1.0";
        MakeDir(interface + "/tty/" + tty);
        AddClassEntry(tty, interface);
    }

    // A usb-serial tty: device -> interface/ttyUSBn, two levels below the USB device.
    void AddUsbSerialTty(const QString& tty, const QString& usbDevice) {
        const QString port = usbDevice + "/" + QDir(usbDevice).dirName() + ":1.0/" + tty;
        MakeDir(port + "/tty/" + tty);
        AddClassEntry(tty, port);
    }

    void AddClassEntry(const QString& tty, const QString& deviceRelative) {
        MakeDir("class/tty/" + tty);
        if (!deviceRelative.isEmpty()) {
            EXPECT_TRUE(QFile::link(dir_.filePath(deviceRelative),
                                    dir_.filePath("class/tty/" + tty + "/device")));
        }
    }

    void MakeDir(const QString& relative) { EXPECT_TRUE(QDir(Root()).mkpath(relative)); }

    void Write(const QString& relative, const QString& text) {
        QFile file(dir_.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toLatin1());
    }

private:
    QTemporaryDir dir_;
};

const QString Bus = QStringLiteral("devices/pci0000:00/0000:00:14.0/usb1");

} // namespace

TEST(LinkPortDiscovery, FindsAdaptersSortedByComNumber) {
    FakeSysfs sys;
    sys.AddAcmTty("ttyACM1", sys.AddUsbDevice(Bus + "/1-2", "04d8", "f71c"));
    sys.AddAcmTty("ttyACM0", sys.AddUsbDevice(Bus + "/1-1", "04D8", "F71C"));
    sys.AddUsbSerialTty("ttyUSB3", sys.AddUsbDevice(Bus + "/1-3", "04d8", "f71c"));
    // Not link adapters: another vendor, another product, a platform port, a virtual tty.
    sys.AddUsbSerialTty("ttyUSB0", sys.AddUsbDevice(Bus + "/1-4", "0403", "6001"));
    sys.AddAcmTty("ttyACM2", sys.AddUsbDevice(Bus + "/1-5", "04d8", "000a"));
    sys.MakeDir("devices/platform/serial8250/tty/ttyS0");
    sys.AddClassEntry("ttyS0", "devices/platform/serial8250");
    sys.AddClassEntry("tty0", "");

    const std::vector<DiscoveredPort> ports = DiscoverLinkPorts(sys.Root());
    const std::vector<DiscoveredPort> expected = {{24, 1}, {31, 1}, {32, 1}};
    EXPECT_EQ(ports, expected);
    // Rebuilt, not appended, on every call.
    EXPECT_EQ(DiscoverLinkPorts(sys.Root()), expected);
}

TEST(LinkPortDiscovery, NearestUsbDeviceDecides) {
    FakeSysfs sys;
    // A foreign adapter behind a hub that happens to carry the link identity.
    const QString hub = sys.AddUsbDevice(Bus + "/1-6", "04d8", "f71c");
    sys.AddAcmTty("ttyACM4", sys.AddUsbDevice(hub + "/1-6.1", "1234", "5678"));
    EXPECT_TRUE(DiscoverLinkPorts(sys.Root()).empty());
}

TEST(LinkPortDiscovery, UsesTheConfiguredComNumbers) {
    FakeSysfs sys;
    sys.AddAcmTty("ttyACM0", sys.AddUsbDevice(Bus + "/1-1", "04d8", "f71c"));
    sys.AddAcmTty("ttyACM12", sys.AddUsbDevice(Bus + "/1-2", "04d8", "f71c")); // no number
    const PortNames names(
        [](int com) { return com == 5 ? QStringLiteral("/dev/ttyACM0") : QString(); });
    const std::vector<DiscoveredPort> expected = {{5, 1}};
    EXPECT_EQ(DiscoverLinkPorts(sys.Root(), names), expected);
}

TEST(LinkPortDiscovery, MissingTreesGiveNothing) {
    EXPECT_TRUE(DiscoverLinkPorts("/nonexistent/sysfs").empty());
    FakeSysfs empty;
    EXPECT_TRUE(DiscoverLinkPorts(empty.Root()).empty());
    FakeSysfs unreadable;
    unreadable.AddAcmTty("ttyACM0", Bus + "/1-1"); // USB device without identity files
    EXPECT_TRUE(DiscoverLinkPorts(unreadable.Root()).empty());
}

TEST(LinkPortDiscovery, DeviceLinkLeavingTheTreeIsIgnored) {
    FakeSysfs sys;
    FakeSysfs outside;
    const QString adapter = outside.AddUsbDevice(Bus + "/1-1", "04d8", "f71c");
    outside.MakeDir(adapter + "/1-1:1.0");
    sys.MakeDir("class/tty/ttyACM0");
    ASSERT_TRUE(QFile::link(outside.Root() + "/" + adapter + "/1-1:1.0",
                            sys.Root() + "/class/tty/ttyACM0/device"));
    EXPECT_TRUE(DiscoverLinkPorts(sys.Root()).empty());
}
