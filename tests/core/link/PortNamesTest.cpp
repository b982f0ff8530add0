// Port names and numbers, by-id links, link adapters and their latency timers on fake /dev
// and sysfs trees, the watch on plugged adapters, and the port settings dialog's rules.
#include "core/link/PortNames.h"
#include "core/link/AdapterLatency.h"
#include "core/link/ComSettingsLogic.h"
#include "core/link/LinkPortDiscovery.h"
#include "core/link/PosixSerialChannel.h"
#include "core/link/SerialById.h"
#include "core/link/SerialPortWatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <functional>
#include <grp.h>
#include <map>
#include <unistd.h>

using namespace kelm;

namespace {

bool Put(const QString& path, const QByteArray& bytes = {}) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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
    ASSERT_TRUE(Put(dir.filePath("ttyUSB0")) && Put(dir.filePath("ttyUSB1")));
    const QString stable = byId + "/usb-Kelm_Link_A1B2-if00-port0";
    ASSERT_TRUE(QFile::link("../../ttyUSB1", stable));
    EXPECT_EQ((QStringList{ByIdPathOf(dir.filePath("ttyUSB1"), byId), ByIdPathOf(stable, byId),
                           ByIdPathOf(dir.filePath("ttyUSB0"), byId),
                           ByIdPathOf(dir.filePath("gone"), byId)}),
              (QStringList{stable, stable, "", ""}));
    EXPECT_EQ(ByIdPaths(byId), QStringList{stable});
    EXPECT_EQ((QStringList{ExpandByIdName(" usb-Kelm_Link_A1B2-if00-port0 ", byId),
                           ExpandByIdName("usb-Other", byId), ExpandByIdName("/dev/ttyS3", byId)}),
              (QStringList{stable, "usb-Other", "/dev/ttyS3"}));
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
    ASSERT_TRUE(Put(node));
    const group* dialout = ::getgrnam("dialout");
    if (dialout == nullptr || ::chown(qPrintable(node), ::getuid(), dialout->gr_gid) != 0)
        GTEST_SKIP() << "no dialout group to hand the file to";
    const bool member = ::getegid() == dialout->gr_gid;
    EXPECT_EQ(PosixSerialChannel::OwningGroup(node), member ? QString() : "dialout");
}

// A minimal sysfs tree: USB devices under devices/, ttys under class/tty/ with a "device"
// link, as the kernel lays them out for cdc-acm and usb-serial adapters.
struct FakeSysfs {
    QString Root() const { return dir.path(); }
    void MakeDir(const QString& relative) { EXPECT_TRUE(QDir(Root()).mkpath(relative)); }

    // A USB device directory with its identity (none when vendor is null).
    QString AddUsbDevice(const QString& relative, const char* vendor, const char* product) {
        MakeDir(relative);
        EXPECT_TRUE(!vendor || (Put(dir.filePath(relative + "/idVendor"), vendor) &&
                                Put(dir.filePath(relative + "/idProduct"), product)));
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

TEST(AdapterLatency, ReadLoweredAndDescribed) {
    const bool root = ::geteuid() == 0; // root may write a read-only file
    const struct {
        const char* Timer;
        bool ReadOnly;
        std::optional<int> Read, AfterLowering;
        bool Advice;
    } cases[] = {
        {nullptr, false, std::nullopt, std::nullopt, false}, // a port without a timer
        {"16\n", false, 16, 1, false},
        {"16\n", true, 16, root ? 1 : 16, !root},
        {"1\n", true, 1, 1, false},
        {"many\n", false, std::nullopt, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Timer ? c.Timer : "none");
        // A device node stand-in, a by-id link to it and the driver's latency_timer file.
        const QTemporaryDir root;
        const QString node = root.filePath("dev/ttyUSB0"), sys = root.filePath("sys");
        const QString byId = root.filePath("dev/serial/by-id/usb-FTDI-if00");
        const QString timer = sys + "/class/tty/ttyUSB0/device/latency_timer";
        ASSERT_TRUE(QDir().mkpath(QFileInfo(byId).path()) && Put(node) && QFile::link(node, byId));
        if (c.Timer) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(timer).path()) && Put(timer, c.Timer));
            ASSERT_TRUE(!c.ReadOnly || QFile::setPermissions(timer, QFileDevice::ReadOwner));
        }
        EXPECT_EQ(ReadAdapterLatency(byId, sys).TimerMs, c.Read);
        const AdapterLatency lowered = LowerAdapterLatency(byId, sys);
        EXPECT_EQ(lowered.TimerMs, c.AfterLowering);
        const QString text = DescribeAdapterLatency(lowered);
        EXPECT_EQ(text.isEmpty(), !c.AfterLowering);
        EXPECT_EQ(text.contains("udev rule"), c.Advice) << text.toStdString();
    }
    EXPECT_FALSE(ReadAdapterLatency("/nonexistent/ttyUSB9").TimerMs);
}

// Runs `change`, then events until `count` has grown, for a few seconds at most.
bool Heard(const int& count, const std::function<void()>& change) {
    const int before = count;
    change();
    QDeadlineTimer deadline(5000);
    while (count <= before && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return count > before;
}

TEST(SerialPortWatch, PlugAndUnplugAndANewByIdFolder) {
    QTemporaryDir root;
    const QString dev = root.filePath("dev");
    QDir().mkpath(dev);
    SerialPortWatch watch(nullptr, {dev, dev + "/serial/by-id"});
    int changes = 0;
    QObject::connect(&watch, &SerialPortWatch::Changed, [&changes] { ++changes; });

    ASSERT_TRUE(Heard(changes, [&] { Put(dev + "/ttyUSB0"); }));
    ASSERT_TRUE(Heard(changes, [&] { QDir().mkpath(dev + "/serial/by-id"); }));
    EXPECT_TRUE(Heard(changes,
                      [&] { QFile::link(dev + "/ttyUSB0", dev + "/serial/by-id/usb-FTDI-if00"); }));
    const int beforeRemoval = changes;
    EXPECT_TRUE(Heard(changes, [&] {
        QFile::remove(dev + "/serial/by-id/usb-FTDI-if00");
        QFile::remove(dev + "/ttyUSB0");
    }));
    QDeadlineTimer settle(700);
    while (!settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_LE(changes, beforeRemoval + 1); // one burst, one notice
}

using Variant = ComSettingsLogic::Variant;

// The stored values as one comparable array: port, baud rate, parity, link port.
std::array<int, 4> Stored(const ComSettingsValues& v) {
    return {v.ComPort, v.BaudRate, v.Parity, v.LinkComPort};
}

TEST(ComSettingsLogic, ListsAndTheSelectionShownForStoredValues) {
    EXPECT_EQ(ComSettingsLogic::PortItems(), QStringList({"Com 1", "Com 2", "Com 3", "Com 4",
                                                          "Com 5", "Com 6", "Com 7", "Com 8"}));
    EXPECT_EQ(ComSettingsLogic::BaudItems(),
              QStringList({"9600", "14400", "19200", "38400", "56000", "57600", "115200", "128000",
                           "230400", "256000"}));
    EXPECT_EQ(ComSettingsLogic::ParityItems(), QStringList({"No", "Odd", "Even", "Mark", "Space"}));
    EXPECT_EQ(ComSettingsLogic::SelectionFor({8, 256000, 4, 3}),
              (ComSettingsLogic::Selection{7, 9, 4, 3}));
    // Out of range: "Com 1", "19200", "Even", the nearest link port the field holds.
    EXPECT_EQ(ComSettingsLogic::SelectionFor({12, 4800, 5, 0}),
              (ComSettingsLogic::Selection{0, 2, 2, 1}));
    EXPECT_EQ(ComSettingsLogic::SelectionFor({0, 0, -1, 300}),
              (ComSettingsLogic::Selection{0, 2, 2, 255}));
}

// Only what the user changed is stored: an untouched dialog keeps out-of-range values, a
// selection changed and changed back stores nothing; defaults store every differing value.
// The link variant stores only the link port, within the field's range.
TEST(ComSettingsLogic, OnlyChangedSelectionsAreStored) {
    ComSettingsValues store{12, 4800, 7, 10};
    EXPECT_FALSE(ComSettingsLogic(Variant::Standard, store).Apply(store));
    ComSettingsLogic logic(Variant::Standard, store);
    logic.Current().BaudIndex = 6;
    logic.Current().ParityIndex = 3;
    logic.Current().ParityIndex = 2; // the shown fallback of 7
    EXPECT_TRUE(logic.Apply(store));
    EXPECT_EQ(Stored(store), (std::array{12, 115200, 7, 10}));

    for (const Variant variant : {Variant::Standard, Variant::Link}) {
        store = {3, 9600, 0, 10};
        ComSettingsLogic defaults(variant, store);
        defaults.LoadDefaults();
        EXPECT_EQ(defaults.Current(), (ComSettingsLogic::Selection{0, 2, 2, 11}));
        EXPECT_TRUE(defaults.Apply(store));
        EXPECT_EQ(Stored(store), (variant == Variant::Link ? std::array{3, 9600, 0, 11}
                                                           : std::array{1, 19200, 2, 11}));
        ComSettingsLogic same(variant, store);
        same.LoadDefaults();
        EXPECT_FALSE(same.Apply(store)); // nothing differs any more
    }
    ComSettingsLogic typed(Variant::Link, store);
    for (const int outside : {0, 256}) {
        typed.Current().LinkPort = outside;
        EXPECT_FALSE(typed.Apply(store)) << outside;
    }
    typed.Current().LinkPort = 31;
    EXPECT_TRUE(typed.Apply(store));
    EXPECT_EQ(store.LinkComPort, 31);
}

} // namespace
