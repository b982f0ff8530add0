// What a stop signal or a lost line leaves behind: kelmctl cancels a procedure (the disable
// request written, the request withdrawn), stops a transfer saying how far it got, writes a
// lost phasing's disable request once the line is back, brings a step's speed reference back
// to 0; the desktop program ended by SIGTERM writes its settings as File > Exit does.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSettings>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

bool Eventually(const std::function<bool()>& condition, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms)
        QThread::msleep(20);
    return condition();
}

// kelmctl started against a fresh kelmsim that logs every request.
struct StopAndLostLine : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(sim.Start({"--log", files.filePath("log")}, false)); }
    // The answered writes as "address register", or timed as "register@ms".
    QStringList Writes(bool timed = false) const {
        QFile log(files.filePath("log"));
        QStringList out;
        for (const QString& line :
             QString::fromLatin1(log.open(QIODevice::ReadOnly) ? log.readAll() : "").split('\n'))
            if (const QStringList f = line.split(' '); f.value(2) == "16" && f.value(5) == "yes")
                out << (timed ? f[3] + '@' + f[0] : f[1] + ' ' + f[3]);
        return out;
    }
    ProgramRun Ctl(const QStringList& arguments) {
        return Kelmctl(QStringList{"--device", sim.Path()} + arguments, files.filePath("config"));
    }
    void Start(const QStringList& arguments) {
        StartProgram(ctl, KELMCTL_PATH, QStringList{"--device", sim.Path()} + arguments,
                     files.filePath("config"));
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

    QTemporaryDir files;
    SimProcess sim;
    QProcess ctl;
    QString err;
};

// Ctrl-C while the drive phases: the disable request and the withdrawn request go out,
// kelmctl exits 130. SIGTERM in a restore: it stops after the register in hand and says how
// many it wrote; 143.
TEST_F(StopAndLostLine, StopSignalsCancelAPhasingAndStopARestore) {
    ASSERT_TRUE(sim.Command("procdelay 1 3000"));
    Start({"--yes", "phase"});
    ASSERT_TRUE(Eventually([&] { return Writes().contains("1 73"); }));
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    EXPECT_EQ(Finish(), 130) << err.toStdString();
    EXPECT_EQ(Writes(), QStringList({"1 69", "1 73", "1 74", "1 69"}));
    EXPECT_TRUE(err.contains("kelmctl: MOTOR PHASING FAIL !\nkelmctl: stopped by SIGINT\n"))
        << err.toStdString();

    ASSERT_EQ(Ctl({"backup", files.filePath("d.dev")}).Code, 0);
    ASSERT_TRUE(sim.Command("delay 40"));
    const qsizetype before = Writes().size();
    err.clear();
    Start({"restore", files.filePath("d.dev")});
    ASSERT_TRUE(Eventually([&] { return Writes().size() >= before + 5; }));
    ctl.terminate();
    EXPECT_EQ(Finish(), 143) << err.toStdString();
    EXPECT_TRUE(err.contains(QRegularExpression(
        QStringLiteral("(^|\n)kelmctl: %1 of \\d+ registers written; the drive holds a mix")
            .arg(Writes().size() - before))))
        << err.toStdString();
}

// The line is lost while the drive phases: kelmctl says the drive may still be enabled and,
// once the drive answers again, writes the disable request and withdraws the request first.
TEST_F(StopAndLostLine, ALostPhasingIsDisabledWhenTheLineComesBack) {
    ASSERT_TRUE(sim.Command("procdelay 1 5000"));
    Start({"--yes", "phase"});
    ASSERT_TRUE(Eventually([&] { return Writes().contains("1 73"); }));
    ASSERT_TRUE(sim.Command("silent 1 on"));
    ASSERT_TRUE(Eventually([&] { return Err().contains("waiting up to"); }));
    EXPECT_TRUE(err.contains("kelmctl: Device not Respondig\nkelmctl: The drive may still be "
                             "enabled: the disable request could not be written.\nkelmctl: "
                             "MOTOR PHASING FAIL !\n"))
        << err.toStdString();
    ASSERT_TRUE(sim.Command("silent 1 off"));
    EXPECT_EQ(Finish(), 1) << err.toStdString();
    EXPECT_EQ(Writes(), QStringList({"1 69", "1 73", "1 74", "1 69"}));
    EXPECT_TRUE(err.contains("the drive answered again: the disable request has been written"));
}

// kelmctl step on a drive in Digital Speed mode with its enable wire on: what it writes, in
// which order, and that the speed reference (80) is back at 0 after a full step, after Ctrl-C
// and after a lost line.
struct StepRun : StopAndLostLine {
    void SetUp() override {
        StopAndLostLine::SetUp();
        ASSERT_TRUE(sim.Command("set 1 71 1") && sim.Command("input 1 0 on"));
    }
    void Step(const QStringList& arguments) { Start(QStringList{"--yes", "step"} + arguments); }
    int Reference() { return Ctl({"read", "80"}).Out.trimmed().section('\t', 1).toInt(); }
};

// A whole step: the recorder is armed before the step, the step lasts its duration, the
// reference goes back to 0 before the upload, and the recorder is stopped last.
TEST_F(StepRun, WritesArmStepReturnStopInOrder) {
    ASSERT_TRUE(sim.Command("set 1 71 0"));
    Step({"x.kls"});
    EXPECT_EQ(Finish(), 1);
    EXPECT_TRUE(err.contains("No step: the drive is not in Digital Speed mode."))
        << qPrintable(err);
    EXPECT_TRUE(Writes().isEmpty());

    ASSERT_TRUE(sim.Command("set 1 71 1"));
    Step({"--duration", "300", "--format", "json", files.filePath("s.kls")});
    ASSERT_EQ(Finish(), 0) << qPrintable(err);
    const QByteArray out = ctl.readAllStandardOutput();
    EXPECT_TRUE(out.contains("\"overshoot_percent\":") && !out.contains("\"rise_time_ms\":null"))
        << out.constData();
    const QStringList writes = Writes();
    const qsizetype arm = writes.indexOf("1 50000");
    ASSERT_GE(arm, 0);
    EXPECT_EQ(writes.mid(arm), QStringList({"1 50000", "1 80", "1 80", "1 50000"}));
    const QStringList timed = Writes(true).filter(QRegularExpression("^80@"));
    ASSERT_EQ(timed.size(), 2);
    EXPECT_GE(timed[1].section('@', 1).toInt() - timed[0].section('@', 1).toInt(), 290);
    EXPECT_EQ(Reference(), 0);
    EXPECT_TRUE(QFile::exists(files.filePath("s.kls")));
}

// Cut short while waiting for the record (it never comes): Ctrl-C writes the reference
// back to 0 and stops the recorder (exit 130); a lost line owes the 0 until the drive
// answers again, then writes it first.
TEST_F(StepRun, CtrlCAndALostLineBringTheReferenceBackToZero) {
    ASSERT_TRUE(sim.Command("scopehang 1 on"));
    Step({"--duration", "5000", files.filePath("c.kls")});
    ASSERT_TRUE(Eventually([&] { return Writes().contains("1 80"); }));
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    EXPECT_EQ(Finish(), 130) << qPrintable(err);
    EXPECT_EQ(Writes().mid(Writes().indexOf("1 80")), QStringList({"1 80", "1 80", "1 50000"}));
    EXPECT_EQ(Reference(), 0);

    const qsizetype before = Writes().size();
    err.clear();
    Step({"--duration", "5000", files.filePath("l.kls")});
    ASSERT_TRUE(Eventually([&] { return Writes().mid(before).contains("1 80"); }));
    ASSERT_TRUE(sim.Command("silent 1 on"));
    ASSERT_TRUE(Eventually([&] { return Err().contains("waiting up to"); }));
    ASSERT_TRUE(sim.Command("silent 1 off"));
    EXPECT_EQ(Finish(), 1) << qPrintable(err);
    EXPECT_TRUE(err.contains("the drive answered again: the speed reference is 0"));
    EXPECT_EQ(Writes().mid(before).filter("80"), QStringList({"1 80", "1 80"}));
    EXPECT_EQ(Writes().last(), "1 80");
    EXPECT_EQ(Reference(), 0);
}

#ifdef KELMDRIVE_PATH
// kill -TERM ends the desktop program as File > Exit does: a value the program holds
// differently from the settings file is written back (a killed program leaves it). The
// first run is stopped while it starts, the second when its selection dialog may be open.
TEST(DesktopProgram, SigtermWritesTheSettings) {
    QTemporaryDir config;
    const QString file = config.filePath("Dorsel/Kelmmb.ini");
    for (const int afterMs : {0, 3000}) {
        QProcess program;
        StartProgram(program, KELMDRIVE_PATH, {}, config.path());
        EXPECT_TRUE(Eventually([&] { return QFile::exists(file); }));
        QThread::msleep(static_cast<unsigned long>(afterMs));
        program.terminate();
        EXPECT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        QSettings settings(file, QSettings::IniFormat);
        EXPECT_EQ(settings.value("11x/ComPort").toByteArray(), QByteArray(1, '\x01'));
        settings.setValue("11x/ComPort", "not a number");
    }
}
#endif

} // namespace
