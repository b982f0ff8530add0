// What a stop signal or a lost line leaves behind: kelmctl cancels a procedure (the disable
// request written, the request withdrawn), stops a transfer saying how far it got, writes a
// lost phasing's disable request once the line is back; the desktop program ended by
// SIGTERM writes its settings as File > Exit does.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

bool Eventually(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(20);
    }
    return true;
}

struct StopAndLostLine : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(sim.Start({"--log", File("sim.log")}, false)); }

    QString File(const QString& name) const { return files.filePath(name); }
    // The answered writes from line `from` of the log on, as "address register".
    QStringList Writes(qsizetype from = 0) const {
        QFile log(File("sim.log"));
        QStringList out;
        if (!log.open(QIODevice::ReadOnly))
            return out;
        for (const QString& line : QString::fromLatin1(log.readAll()).split('\n').mid(from))
            if (const QStringList f = line.split(' '); f.value(2) == "16" && f.value(5) == "yes")
                out << f[1] + ' ' + f[3];
        return out;
    }
    qsizetype LogLines() const {
        QFile log(File("sim.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : 0;
    }
    void Start(const QStringList& arguments) {
        StartProgram(ctl, KELMCTL_PATH, QStringList{"--device", sim.Path()} + arguments,
                     File("config"));
        ASSERT_TRUE(ctl.waitForStarted());
    }
    QString Err() {
        ctl.waitForReadyRead(20);
        return err += QString::fromLocal8Bit(ctl.readAllStandardError());
    }
    int Finish() {
        const bool ended = ctl.waitForFinished(30000);
        Err();
        return ended && ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    }
    // The register's value as kelmctl reads it (-1: no answer).
    int Read(const QString& address) {
        const QString out = Kelmctl({"--device", sim.Path(), "read", address}, File("config")).Out;
        bool ok = false;
        const int value = out.section('\t', 1).trimmed().toInt(&ok);
        return ok ? value : -1;
    }

    QTemporaryDir files;
    SimProcess sim;
    QProcess ctl;
    QString err;
};

// Ctrl-C while the drive phases: the disable request and the withdrawn request go out, the
// drive stores no phase value, kelmctl exits 130.
TEST_F(StopAndLostLine, CtrlCCancelsThePhasing) {
    ASSERT_TRUE(sim.Command("procdelay 1 1500"));
    const qsizetype mark = LogLines();
    ASSERT_NO_FATAL_FAILURE(Start({"--yes", "phase"}));
    ASSERT_TRUE(Eventually([&] { return Writes(mark).contains("1 73"); }, 10000));
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    EXPECT_EQ(Finish(), 130) << err.toStdString();
    EXPECT_EQ(Writes(mark), QStringList({"1 69", "1 73", "1 74", "1 69"}));
    EXPECT_TRUE(err.contains("MOTOR PHASING FAIL !") && err.contains("stopped by SIGINT"))
        << err.toStdString();
    QThread::msleep(1700); // past the time the drive would have taken
    const int phase = Read("11");
    EXPECT_TRUE(phase >= 0 && phase != 1234) << phase;
    EXPECT_EQ(Read("69") & 0x10, 0);
}

// SIGTERM in a restore: it stops after the register in hand and says how many were written.
TEST_F(StopAndLostLine, SigtermStopsARestoreSayingHowFarItGot) {
    ASSERT_EQ(Kelmctl({"--device", sim.Path(), "backup", File("d.dev")}, File("config")).Code, 0);
    ASSERT_TRUE(sim.Command("delay 40"));
    const qsizetype mark = LogLines();
    ASSERT_NO_FATAL_FAILURE(Start({"restore", File("d.dev")}));
    ASSERT_TRUE(Eventually([&] { return Writes(mark).size() >= 5; }, 20000));
    ctl.terminate();
    EXPECT_EQ(Finish(), 143) << err.toStdString();
    const QRegularExpression said(
        QStringLiteral("(^|\n)%1 of \\d+ registers written; the drive holds a mix of old and "
                       "new values.")
            .arg(Writes(mark).size()));
    EXPECT_TRUE(err.contains(said)) << err.toStdString();
}

// The line is lost while the drive phases: kelmctl says the drive may still be enabled and,
// once the drive answers again, writes the disable request and withdraws the request first.
TEST_F(StopAndLostLine, ALostPhasingIsDisabledWhenTheLineComesBack) {
    ASSERT_TRUE(sim.Command("procdelay 1 5000"));
    const qsizetype mark = LogLines();
    ASSERT_NO_FATAL_FAILURE(Start({"--yes", "phase"}));
    ASSERT_TRUE(Eventually([&] { return Writes(mark).contains("1 73"); }, 10000));
    ASSERT_TRUE(sim.Command("silent 1 on"));
    ASSERT_TRUE(Eventually([&] { return Err().contains("waiting up to"); }, 10000));
    EXPECT_TRUE(err.contains("Device not Respondig\n\nThe drive may still be enabled: the disable "
                             "request could not be written.\n\nMOTOR PHASING FAIL !"))
        << err.toStdString();
    ASSERT_TRUE(sim.Command("silent 1 off"));
    EXPECT_EQ(Finish(), 1) << err.toStdString();
    EXPECT_EQ(Writes(mark), QStringList({"1 69", "1 73", "1 74", "1 69"}));
    EXPECT_TRUE(err.contains("the drive answered again: the disable request has been written"));
}

// A time limit cancels an offset run as Cancel does: the request is withdrawn and the drive
// keeps its offset.
TEST_F(StopAndLostLine, ACancelledOffsetRunStoresNoOffset) {
    ASSERT_TRUE(sim.Command("procdelay 1 2000"));
    const qsizetype mark = LogLines();
    ASSERT_NO_FATAL_FAILURE(Start({"--yes", "offset", "--timeout", "1", "1"}));
    EXPECT_EQ(Finish(), 1) << err.toStdString();
    EXPECT_EQ(Writes(mark), QStringList({"1 69", "1 69"}));
    QThread::msleep(1200);
    const int offset = Read("29");
    EXPECT_TRUE(offset >= 0 && offset != 100) << offset;
}

#ifdef KELMDRIVE_PATH
// kill -TERM ends the desktop program as File > Exit does: a value the program holds
// differently from the settings file is written back. The second run is stopped while its
// selection dialog may be open.
TEST(DesktopProgram, SigtermWritesTheSettings) {
    QTemporaryDir config;
    const QString file = config.filePath("Dorsel/Kelmmb.ini");
    const auto run = [&](int afterMs) {
        QProcess program;
        StartProgram(program, KELMDRIVE_PATH, {}, config.path());
        EXPECT_TRUE(Eventually([&] { return QFile::exists(file); }, 20000));
        QThread::msleep(static_cast<unsigned long>(afterMs));
        program.terminate();
        EXPECT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    };
    run(0);
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue("11x/ComPort", "not a number");
    }
    run(3000);
    QSettings settings(file, QSettings::IniFormat);
    EXPECT_EQ(settings.value("11x/ComPort").toByteArray(), QByteArray(1, '\x01'));
}
#endif

} // namespace
