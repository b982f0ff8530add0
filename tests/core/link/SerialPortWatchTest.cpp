// Port lists hear of adapters plugged in and pulled out, also when the by-id folder is new.
#include "core/link/SerialPortWatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kelm;

namespace {

// Runs events until count has grown past before, for a few seconds at most.
bool Heard(const int& count, int before) {
    QDeadlineTimer deadline(5000);
    while (count <= before && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return count > before;
}

} // namespace

TEST(SerialPortWatch, PlugAndUnplugAndANewByIdFolder) {
    QTemporaryDir root;
    const QString dev = root.filePath("dev");
    QDir().mkpath(dev);
    SerialPortWatch watch(nullptr, {dev, dev + "/serial/by-id"});
    int changes = 0;
    QObject::connect(&watch, &SerialPortWatch::Changed, [&changes] { ++changes; });

    QFile(dev + "/ttyUSB0").open(QIODevice::WriteOnly);
    ASSERT_TRUE(Heard(changes, 0));
    QDir().mkpath(dev + "/serial/by-id");
    ASSERT_TRUE(Heard(changes, 1));
    const int before = changes;
    QFile::link(dev + "/ttyUSB0", dev + "/serial/by-id/usb-FTDI-if00");
    EXPECT_TRUE(Heard(changes, before));
    const int beforeRemoval = changes;
    QFile::remove(dev + "/serial/by-id/usb-FTDI-if00");
    QFile::remove(dev + "/ttyUSB0");
    EXPECT_TRUE(Heard(changes, beforeRemoval));
    QDeadlineTimer settle(700);
    while (!settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_LE(changes, beforeRemoval + 1); // one burst, one notice
}
