#include "SimProcess.h"

#include "sim/engine/Frames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace kelm::sim;
using namespace kelm::sim::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes ReadKp = EncodeReadRequest(FrameVariant::Plain, 1, 12, 1);

// Runs kelmsim to its end without waiting for a terminal line.
int RunToEnd(SimProcess& sim, const QStringList& arguments) {
    sim.Process().start(QStringLiteral(KELMSIM_PATH), arguments);
    return sim.Process().waitForFinished(5000) ? sim.Process().exitCode() : -1;
}

} // namespace

TEST(Kelmsim, AnswersAtItsAddressWhileClientsCloseAndReopen) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--address", "7"}));
    EXPECT_TRUE(sim.Path().startsWith("/dev/pts/"));
    const Bytes request = EncodeReadRequest(FrameVariant::Plain, 7, 2, 1);
    for (int round = 0; round < 3; ++round) {
        RawPort port(sim.Path());
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ(port.Exchange(request, 7), EncodeReadReply(FrameVariant::Plain, 7, 2, {7}))
            << round;
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

TEST(Kelmsim, BaudRatePacesTheRequestAndTheReply) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--baud", "9600", "--turnaround", "20000"}));
    RawPort port(sim.Path());
    QElapsedTimer timer;
    timer.start();
    // 40 registers: 8 + 85 bytes, 11 bits each, about 107 ms at 9600 baud, plus 20 ms.
    EXPECT_EQ(port.Exchange(EncodeReadRequest(FrameVariant::Plain, 1, 0, 40), 85).size(), 85U);
    EXPECT_GE(timer.elapsed(), 126);
    // The answer waits for the last byte of a long request: 89 + 8 bytes, 111 ms, plus 20.
    timer.restart();
    const std::vector<std::uint16_t> values(40, 7);
    EXPECT_EQ(port.Exchange(EncodeWriteRequest(FrameVariant::Plain, 1, 300, values), 8).size(), 8U);
    EXPECT_GE(timer.elapsed(), 130);
}

TEST(Kelmsim, RefusesBadStarts) {
    SimProcess help;
    EXPECT_EQ(RunToEnd(help, {"--help"}), 0);
    const QByteArray usage = help.Process().readAllStandardOutput();
    for (const char* word : {"--kind", "--control", "silent", "wrongcount", "quit"}) {
        EXPECT_TRUE(usage.contains(word)) << word;
    }
    SimProcess badOption;
    EXPECT_EQ(RunToEnd(badOption, {"--kind", "plane"}), 2);

    SimProcess noConfig;
    EXPECT_FALSE(noConfig.Start({"--bin", "/nonexistent"}, false));
    noConfig.Process().waitForFinished(5000); // may have ended already
    EXPECT_EQ(noConfig.Process().state(), QProcess::NotRunning);
    EXPECT_EQ(noConfig.Process().exitCode(), 1);
    EXPECT_TRUE(noConfig.Errors().contains("device.dll"));

    // A file that is not a link is never replaced.
    QTemporaryDir dir;
    const QString path = dir.filePath("regular");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
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
