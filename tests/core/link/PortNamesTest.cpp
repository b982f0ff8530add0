#include "core/link/PortNames.h"
#include "core/link/LinkPortDiscovery.h"
#include "core/link/PosixSerialChannel.h"
#include "core/link/SerialById.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <grp.h>
#include <map>
#include <unistd.h>

using namespace kelm;

TEST(PortNames, DefaultRuleBothWays) {
    // clang-format off
    const std::map<int, QString> paths = {
        {1, "/dev/ttyS0"}, {8, "/dev/ttyS7"}, {20, "/dev/ttyS19"}, {21, "/dev/ttyUSB0"},
        {30, "/dev/ttyUSB9"}, {31, "/dev/ttyACM0"}, {40, "/dev/ttyACM9"}, {41, ""}, {0, ""},
        {256, ""}, {-1, ""}};
    // clang-format on
    for (const auto& [com, path] : paths)
        EXPECT_EQ(PortNames().DevicePath(com), path) << com;
    const PortNames names;
    for (int com = 1; com <= 40; ++com)
        EXPECT_EQ(names.ComNumber(PortNames::DefaultDevicePath(com)), com) << com;
    for (const char* path : {"/dev/ttyS20", "/dev/ttyUSB10", "/dev/ttyACM10", "/dev/ttyS01",
                             "/dev/ttyAMA0", "ttyS0", "/dev/ttyS0x"})
        EXPECT_EQ(PortNames::DefaultComNumber(path), 0) << path;
    EXPECT_EQ(names.ComNumber(""), 0);
}

// A fake /dev with udev's by-id links: a device maps to its stable name, a bare name typed
// for a COM number to its full path; a COM number mapped (or set in the environment) to a
// by-id path is found again from the kernel name (link-port discovery reports kernel names).
TEST(SerialById, MapsDevicesAndNamesOnAFakeDevTree) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString byId = dir.filePath("serial/by-id");
    ASSERT_TRUE(QDir().mkpath(byId));
    for (const char* name : {"ttyUSB0", "ttyUSB1"}) {
        QFile device(dir.filePath(name));
        ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    }
    const QString stable = byId + "/usb-Kelm_Link_A1B2-if00-port0";
    ASSERT_TRUE(QFile::link("../../ttyUSB1", stable));
    EXPECT_EQ(ByIdPathOf(dir.filePath("ttyUSB1"), byId), stable);
    EXPECT_EQ(ByIdPathOf(stable, byId), stable);
    EXPECT_EQ(ByIdPaths(byId), QStringList{stable});
    EXPECT_EQ(ByIdPathOf(dir.filePath("ttyUSB0"), byId), QString());
    EXPECT_EQ(ByIdPathOf(dir.filePath("gone"), byId), QString());
    EXPECT_EQ(ExpandByIdName(" usb-Kelm_Link_A1B2-if00-port0 ", byId), stable);
    EXPECT_EQ(ExpandByIdName("usb-Other", byId), "usb-Other");
    EXPECT_EQ(ExpandByIdName("/dev/ttyS3", byId), "/dev/ttyS3");
    const PortNames names([&stable](int com) { return com == 4 ? stable : QString(); });
    EXPECT_EQ(names.ComNumber(dir.filePath("ttyUSB1")), 4);
    EXPECT_EQ(names.ComNumber("/dev/ttyS3"), 0); // COM4's default no longer counts
    qputenv("KELM_COM12", stable.toLocal8Bit()); // a variable naming a link, likewise
    EXPECT_EQ(
        std::tuple(PortNames().ComNumber(dir.filePath("ttyUSB1")), PortNames().ComNumber(stable)),
        std::tuple(12, 12));
    qunsetenv("KELM_COM12");
}

// Refused permission names the device's group and the one command that grants it.
TEST(SerialPermission, MessageNamesTheGroupAndTheCommand) {
    EXPECT_EQ(PosixSerialChannel::DescribeOpenError(EACCES, "dialout"),
              "permission denied: the port belongs to the group \"dialout\". Add your user to "
              "it with: sudo usermod -aG dialout $USER (then log out and in again)");
    EXPECT_EQ(PosixSerialChannel::DescribeOpenError(EACCES, QString()), "permission denied");
    QTemporaryDir dir;
    const QString node = dir.filePath("ttyS9");
    QFile file(node);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const group* dialout = ::getgrnam("dialout");
    if (dialout == nullptr || ::chown(qPrintable(node), ::getuid(), dialout->gr_gid) != 0)
        GTEST_SKIP() << "no dialout group to hand the file to";
    const bool member = ::getegid() == dialout->gr_gid;
    EXPECT_EQ(PosixSerialChannel::OwningGroup(node), member ? QString() : "dialout");
}

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
