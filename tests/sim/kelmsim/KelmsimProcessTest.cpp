// kelmsim as a process: its terminal against an independent Modbus RTU master (libmodbus),
// the line's pace, the control FIFO, its refusals and its end.
#include "SimProcess.h"

#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <modbus.h>

using namespace kelm::sim::test;

namespace {

// A libmodbus RTU master on the simulator's terminal; empty when it cannot connect.
using Modbus = std::unique_ptr<modbus_t, void (*)(modbus_t*)>;
Modbus Connect(const QString& path, int slave) {
    Modbus ctx(modbus_new_rtu(path.toLocal8Bit().constData(), 19200, 'N', 8, 1), [](modbus_t* c) {
        modbus_close(c);
        modbus_free(c);
    });
    if (!ctx || modbus_set_slave(ctx.get(), slave) != 0 || modbus_connect(ctx.get()) != 0)
        ctx.reset();
    else
        modbus_set_response_timeout(ctx.get(), 2, 0);
    return ctx;
}

} // namespace

// Reads and writes of a standard master, a proper exception for function 6 with the line
// kept in step, 125 registers in one reply, each paced as at 9600 baud with 20 ms turnaround
// (an answer waits for the last byte of the request); the master closes and reopens the
// terminal. A refused control command is acknowledged as such and the simulator carries on;
// quit ends it and takes the FIFO away. (What the commands do is checked on the engine.)
TEST(Kelmsim, AnswersALibmodbusMasterAndItsControlFifo) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--address", "5", "--baud", "9600", "--turnaround", "20000"}));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const auto modbus = Connect(sim.Path(), 5);
        ASSERT_TRUE(modbus);
        std::uint16_t values[125] = {}, written[40];
        std::fill(std::begin(written), std::end(written), 0xFFFF);
        written[0] = std::uint16_t(7 + round);
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(modbus_write_registers(modbus.get(), 40000, 40, written), 40)
            << modbus_strerror(errno);
        EXPECT_GE(timer.elapsed(), 130); // 89 + 8 bytes, 11 bits each: 111 ms, plus 20
        ASSERT_EQ(modbus_read_registers(modbus.get(), 40000, 40, values), 40);
        EXPECT_TRUE(std::equal(written, written + 40, values));
        EXPECT_EQ(modbus_write_register(modbus.get(), 12, 1), -1);
        EXPECT_EQ(errno, EMBXILFUN);
        timer.restart();
        ASSERT_EQ(modbus_read_registers(modbus.get(), 0, 125, values), 125)
            << modbus_strerror(errno);
        EXPECT_GE(timer.elapsed(), 320); // 8 + 255 bytes: 301 ms, plus 20
        EXPECT_EQ(values[2], 5);         // register 2 holds the address given on the command line
    }
    EXPECT_FALSE(sim.Command("no such command"));
    EXPECT_TRUE(sim.Errors().contains("refused"));
    ASSERT_TRUE(sim.Command("set 5 12 5"));
    ASSERT_TRUE(sim.Command("quit"));
    sim.Process().waitForFinished(5000); // may have ended already
    ASSERT_EQ(sim.Process().state(), QProcess::NotRunning);
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(sim.ControlPath()));
}

// A missing configuration, or a link path that is a plain file (never replaced).
TEST(Kelmsim, RefusesBadStarts) {
    QTemporaryDir dir;
    const QString regular = dir.filePath("regular");
    ASSERT_TRUE(QFile(regular).open(QIODevice::WriteOnly));
    for (const auto& [arguments, says] :
         {std::pair{QStringList{"--bin", "/nonexistent"}, "device.dll"},
          std::pair{QStringList{"--link-path", regular}, "regular"}}) {
        SimProcess sim;
        EXPECT_FALSE(sim.Start(arguments, arguments[0] != "--bin"));
        sim.Process().waitForFinished(5000); // may have ended already
        EXPECT_EQ(sim.Process().exitCode(), 1);
        EXPECT_TRUE(sim.Errors().contains(says)) << sim.Errors().toStdString();
    }
    EXPECT_TRUE(QFileInfo(regular).isFile());
}

// The link path replaces a stale link. Ctrl-C, a plain kill and the hang-up of the terminal
// it was started from all end the simulator normally, so its link and FIFO do not outlive it.
TEST(Kelmsim, StopSignalsEndCleanlyAndRemoveItsFiles) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        const QString link = dir.filePath("tty");
        ASSERT_TRUE(QFile::link("/nonexistent", link));
        SimProcess sim;
        ASSERT_TRUE(sim.Start({"--link-path", link}));
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.Path());
        EXPECT_TRUE(QFileInfo::exists(sim.ControlPath()));
        ::kill(static_cast<pid_t>(sim.Process().processId()), signal);
        ASSERT_TRUE(sim.Process().waitForFinished(5000));
        EXPECT_EQ(sim.Process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.Process().exitCode(), 0);
        EXPECT_FALSE(QFileInfo(link).isSymLink() || QFileInfo::exists(sim.ControlPath()));
    }
}
