// A USB adapter's latency timer read, lowered and described on a fake sysfs and /dev tree.
#include "core/link/AdapterLatency.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

using namespace kelm;

namespace {

struct FakeTree {
    // A device node stand-in under dev/, a by-id link to it, and, when timer is not null,
    // the driver's latency_timer file (read-only when asked).
    FakeTree(const char* name, const char* timer, bool readOnly = false) {
        QDir(root.path()).mkpath("dev/serial/by-id");
        QFile(Dev(name)).open(QIODevice::WriteOnly);
        QFile::link(Dev(name), Dev("serial/by-id/usb-FTDI-if00"));
        if (timer == nullptr)
            return;
        const QString folder = root.filePath(QStringLiteral("sys/class/tty/%1/device").arg(name));
        QDir().mkpath(folder);
        QFile file(folder + "/latency_timer");
        file.open(QIODevice::WriteOnly);
        file.write(timer);
        file.close();
        if (readOnly)
            file.setPermissions(QFileDevice::ReadOwner);
    }
    QString Dev(const QString& name) const { return root.filePath("dev/" + name); }
    QString Sys() const { return root.filePath("sys"); }
    QTemporaryDir root;
};

} // namespace

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
        const FakeTree tree("ttyUSB0", c.Timer, c.ReadOnly);
        const QString byId = tree.Dev("serial/by-id/usb-FTDI-if00");
        EXPECT_EQ(ReadAdapterLatency(byId, tree.Sys()).TimerMs, c.Read);
        const AdapterLatency lowered = LowerAdapterLatency(byId, tree.Sys());
        EXPECT_EQ(lowered.TimerMs, c.AfterLowering);
        const QString text = DescribeAdapterLatency(lowered);
        EXPECT_EQ(text.isEmpty(), !c.AfterLowering);
        EXPECT_EQ(text.contains("udev rule"), c.Advice) << text.toStdString();
    }
    EXPECT_FALSE(ReadAdapterLatency("/nonexistent/ttyUSB9").TimerMs);
}
