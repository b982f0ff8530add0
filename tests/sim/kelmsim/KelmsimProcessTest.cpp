#include "SimProcess.h"

#include "sim/engine/Frames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <modbus.h>

using namespace kelm::sim;
using namespace kelm::sim::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes ReadKp = EncodeReadRequest(FrameVariant::Plain, 1, 12, 1);

// A libmodbus RTU master, an independent implementation, on the simulator's terminal.
struct ModbusContext {
    explicit ModbusContext(const QString& path, int slave) {
        ctx = modbus_new_rtu(path.toLocal8Bit().constData(), 19200, 'N', 8, 1);
        if (ctx != nullptr) {
            modbus_set_slave(ctx, slave);
            modbus_set_response_timeout(ctx, 0, 500000);
            connected = modbus_connect(ctx) == 0;
        }
    }
    ~ModbusContext() {
        if (ctx != nullptr) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }
    modbus_t* ctx = nullptr;
    bool connected = false;
};

} // namespace

// Reads and writes of a standard master, a proper exception for function 6 with the line
// kept in step, and 125 registers in one reply; the master closes and reopens the terminal.
TEST(Kelmsim, AnswersALibmodbusMasterWhileClientsCloseAndReopen) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--address", "5"}));
    EXPECT_TRUE(sim.Path().startsWith("/dev/pts/"));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ModbusContext modbus(sim.Path(), 5);
        ASSERT_TRUE(modbus.connected);
        std::uint16_t values[125] = {};
        const std::uint16_t written[3] = {std::uint16_t(7 + round), 8, 0xFFFF};
        ASSERT_EQ(modbus_write_registers(modbus.ctx, 40000, 3, written), 3)
            << modbus_strerror(errno);
        ASSERT_EQ(modbus_read_registers(modbus.ctx, 40000, 3, values), 3);
        EXPECT_TRUE(std::equal(written, written + 3, values));
        EXPECT_EQ(modbus_write_register(modbus.ctx, 12, 1), -1);
        EXPECT_EQ(errno, EMBXILFUN);
        ASSERT_EQ(modbus_read_registers(modbus.ctx, 0, 125, values), 125);
        EXPECT_EQ(values[2], 5);    // register 2 holds the address
        EXPECT_EQ(values[12], 100); // configured defaults
        EXPECT_EQ(values[13], 50);
    }
    EXPECT_EQ(sim.Terminate(), 0);
}

TEST(Kelmsim, OrcaOnALinkPathShowsItsSignature) {
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyORCA");
    QFile::link("/nonexistent", link); // a stale link is replaced
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--kind", "orca", "--link-path", link}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.Path());
    RawPort port(link);
    ASSERT_TRUE(port.IsOpen());
    const Bytes reply = port.Exchange(EncodeReadRequest(FrameVariant::Link, 2, 249, 2), 12);
    EXPECT_EQ(reply, EncodeReadReply(FrameVariant::Link, 2, 249, {0x4143, 0x524F}));
    EXPECT_EQ(sim.Terminate(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(Kelmsim, ControlFifoSwitchesFaultsAndQuits) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({}));
    RawPort port(sim.Path());
    const Bytes good = EncodeReadReply(FrameVariant::Plain, 1, 12, {100});
    ASSERT_EQ(port.Exchange(ReadKp, 7), good);

    // Line faults through the FIFO are exercised end to end by the link tests; here the
    // bytes of one of them.
    ASSERT_TRUE(sim.Command("silent 1 on"));
    EXPECT_TRUE(port.Exchange(ReadKp, 7, 300).empty());
    ASSERT_TRUE(sim.Command("faults off"));
    ASSERT_TRUE(sim.Command("set 1 12 0x1234"));
    EXPECT_EQ(port.Exchange(ReadKp, 7), EncodeReadReply(FrameVariant::Plain, 1, 12, {0x1234}));

    EXPECT_FALSE(sim.Command("no such command")); // refused, still alive
    ASSERT_TRUE(sim.Command("quit"));
    sim.Process().waitForFinished(5000); // may have ended already
    ASSERT_EQ(sim.Process().state(), QProcess::NotRunning);
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_TRUE(sim.Errors().contains("refused"));
    EXPECT_FALSE(QFileInfo::exists(sim.ControlPath()));
}

TEST(Kelmsim, LogsEveryRequest) {
    QTemporaryDir dir;
    const QString log = dir.filePath("requests.log");
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--log", log}));
    RawPort port(sim.Path());
    ASSERT_EQ(port.Exchange(ReadKp, 7).size(), 7U);
    port.Exchange(EncodeWriteRequest(FrameVariant::Plain, 9, 69, {2}), 8, 200);
    ASSERT_EQ(sim.Terminate(), 0);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(" 1 3 12 1 yes")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" 9 16 69 1 no")) << lines[1].toStdString();
    EXPECT_LE(lines[0].split(' ').front().toLongLong(), lines[1].split(' ').front().toLongLong());
}

TEST(Kelmsim, BaudRatePacesTheReply) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--baud", "9600"}));
    RawPort port(sim.Path());
    QElapsedTimer timer;
    timer.start();
    // 40 registers: 85 reply bytes, 11 bits each, about 97 ms at 9600 baud.
    EXPECT_EQ(port.Exchange(EncodeReadRequest(FrameVariant::Plain, 1, 0, 40), 85).size(), 85U);
    EXPECT_GE(timer.elapsed(), 85);
}

// A missing configuration, or a link path that is a plain file (never replaced).
TEST(Kelmsim, RefusesBadStarts) {
    SimProcess noConfig;
    EXPECT_FALSE(noConfig.Start({"--bin", "/nonexistent"}, false));
    noConfig.Process().waitForFinished(5000); // may have ended already
    EXPECT_EQ(noConfig.Process().state(), QProcess::NotRunning);
    EXPECT_EQ(noConfig.Process().exitCode(), 1);
    EXPECT_TRUE(noConfig.Errors().contains("device.dll"));

    QTemporaryDir dir;
    const QString path = dir.filePath("regular");
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    SimProcess notALink;
    EXPECT_FALSE(notALink.Start({"--link-path", path}));
    notALink.Process().waitForFinished(5000);
    EXPECT_EQ(notALink.Process().exitCode(), 1);
    EXPECT_TRUE(QFileInfo(path).isFile());
}

// Ctrl-C, a plain kill and the hang-up of the terminal it was started from all end the
// simulator normally, so its link and FIFO do not outlive it.
TEST(Kelmsim, StopSignalsEndCleanlyAndRemoveItsFiles) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        const QString link = dir.filePath("tty");
        SimProcess sim;
        ASSERT_TRUE(sim.Start({"--link-path", link}));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_TRUE(QFileInfo::exists(sim.ControlPath()));
        ::kill(static_cast<pid_t>(sim.Process().processId()), signal);
        ASSERT_TRUE(sim.Process().waitForFinished(5000));
        EXPECT_EQ(sim.Process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.Process().exitCode(), 0);
        EXPECT_FALSE(QFileInfo(link).isSymLink());
        EXPECT_FALSE(QFileInfo::exists(sim.ControlPath()));
    }
}
