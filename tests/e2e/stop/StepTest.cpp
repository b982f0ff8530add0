// kelmctl step against kelmsim: what it writes, in which order, and that the digital speed
// reference is back at 0 after a full step, after Ctrl-C and after a lost line.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

struct StepRun : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(sim.Start({"--log", files.filePath("log")}, false));
        ASSERT_TRUE(sim.Command("set 1 71 1"));   // Digital Speed
        ASSERT_TRUE(sim.Command("input 1 0 on")); // the enable wire
    }
    // The answered writes as "register@ms".
    QStringList Writes(bool withTimes = false) const {
        QFile log(files.filePath("log"));
        QStringList out;
        for (const QString& line :
             QString::fromLatin1(log.open(QIODevice::ReadOnly) ? log.readAll() : "").split('\n'))
            if (const QStringList f = line.split(' '); f.value(2) == "16" && f.value(5) == "yes")
                out << (withTimes ? f[3] + '@' + f[0] : f[3]);
        return out;
    }
    bool Eventually(const std::function<bool()>& condition) {
        QElapsedTimer clock;
        clock.start();
        while (!condition() && clock.elapsed() < 20000)
            QThread::msleep(20);
        return condition();
    }
    int Reference() {
        const ProgramRun run =
            Kelmctl({"--device", sim.Path(), "read", "80"}, files.filePath("config"));
        return run.Out.trimmed().section('\t', 1).toInt();
    }
    void Start(const QStringList& arguments) {
        StartProgram(ctl, KELMCTL_PATH,
                     QStringList{"--device", sim.Path(), "--yes", "step"} + arguments,
                     files.filePath("config"));
    }
    int Finish() {
        const bool ended = ctl.waitForFinished(30000);
        err += QString::fromLocal8Bit(ctl.readAllStandardError());
        return ended && ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    }

    QTemporaryDir files;
    SimProcess sim;
    QProcess ctl;
    QString err;
};

// A whole step: the recorder is armed before the step, the step lasts its duration, the
// reference goes back to 0 before the upload, and the recorder is stopped last.
TEST_F(StepRun, WritesArmStepReturnStopInOrder) {
    ASSERT_TRUE(sim.Command("set 1 71 0"));
    Start({"x.kls"});
    EXPECT_EQ(Finish(), 1);
    EXPECT_TRUE(err.contains("No step: the drive is not in Digital Speed mode."))
        << qPrintable(err);
    EXPECT_TRUE(Writes().isEmpty());

    ASSERT_TRUE(sim.Command("set 1 71 1"));
    Start({"--duration", "300", "--format", "json", files.filePath("s.kls")});
    ASSERT_EQ(Finish(), 0) << qPrintable(err);
    const QByteArray out = ctl.readAllStandardOutput();
    EXPECT_TRUE(out.contains("\"overshoot_percent\":") && !out.contains("\"rise_time_ms\":null"))
        << out.constData();
    const QStringList writes = Writes();
    const qsizetype arm = writes.indexOf("50000");
    ASSERT_GE(arm, 0);
    EXPECT_EQ(writes.mid(arm), QStringList({"50000", "80", "80", "50000"}));
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
    Start({"--duration", "5000", files.filePath("c.kls")});
    ASSERT_TRUE(Eventually([&] { return Writes().contains("80"); }));
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    EXPECT_EQ(Finish(), 130) << qPrintable(err);
    EXPECT_EQ(Writes().mid(Writes().indexOf("80")), QStringList({"80", "80", "50000"}));
    EXPECT_EQ(Reference(), 0);

    const qsizetype before = Writes().size();
    Start({"--duration", "5000", files.filePath("l.kls")});
    ASSERT_TRUE(Eventually([&] { return Writes().mid(before).contains("80"); }));
    ASSERT_TRUE(sim.Command("silent 1 on"));
    ASSERT_TRUE(Eventually([&] {
        ctl.waitForReadyRead(20);
        err += QString::fromLocal8Bit(ctl.readAllStandardError());
        return err.contains("waiting up to");
    }));
    ASSERT_TRUE(sim.Command("silent 1 off"));
    EXPECT_EQ(Finish(), 1) << qPrintable(err);
    EXPECT_TRUE(err.contains("the drive answered again: the speed reference is 0"));
    EXPECT_EQ(Writes().mid(before).filter("80"), QStringList({"80", "80"}));
    EXPECT_EQ(Writes().last(), "80");
    EXPECT_EQ(Reference(), 0);
}

} // namespace
