// Runs the kelmctl executable on configuration folders written by the test.
#include "ConfigFixtures.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

struct RunResult {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

RunResult Kelmctl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KELM_KELMCTL_PATH), arguments);
    RunResult run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        return run;
    }
    run.ExitCode = process.exitCode();
    run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(KelmctlTest, HelpListsCommands) {
    const RunResult run = Kelmctl({"--help"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Out.contains("check-config [BINDIR]"));
    EXPECT_TRUE(run.Out.contains("--yes"));
}

TEST(KelmctlTest, UnknownCommandOrOption) {
    EXPECT_EQ(Kelmctl({"no-such-command"}).ExitCode, 2);
    EXPECT_EQ(Kelmctl({"--bogus"}).ExitCode, 2);
    EXPECT_EQ(Kelmctl({}).ExitCode, 2);
}

TEST(KelmctlTest, CheckConfigOnGoodFolder) {
    QTemporaryDir dir;
    const QString bin = dir.path() + "/MyBin";
    test::WriteGoodConfigSet(bin);
    const RunResult run = Kelmctl({"check-config", bin});
    EXPECT_EQ(run.ExitCode, 0) << qPrintable(run.Err);
    // A usable set prints nothing at all: only messages are printed.
    EXPECT_TRUE(run.Err.isEmpty()) << qPrintable(run.Err);
    EXPECT_TRUE(run.Out.isEmpty()) << qPrintable(run.Out);
    // Nothing is created inside the installation folder.
    EXPECT_FALSE(QFile::exists(dir.path() + "/Data"));
    EXPECT_EQ(Kelmctl({"--yes", "check-config", bin}).ExitCode, 0);
    EXPECT_EQ(Kelmctl({"check-config", bin, "extra"}).ExitCode, 2);
}

TEST(KelmctlTest, CheckConfigOnShippedSetPrintsNothing) {
    // Without BINDIR the set beside the executable is checked: the shipped one.
    const RunResult run = Kelmctl({"check-config"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, QString());
    EXPECT_EQ(run.Err, QString());
}

TEST(KelmctlTest, CheckConfigReportsRecoverableProblemsWithExitZero) {
    QTemporaryDir dir;
    test::WriteGoodConfigSet(dir.path());
    ASSERT_TRUE(QFile::remove(dir.filePath("strall.dll")));
    const RunResult run = Kelmctl({"check-config", dir.path()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Err, "Fail to Open Allarms Messages Configuration File\nLoad Defaut Message\n\n");
    EXPECT_EQ(run.Out, QString());
}

TEST(KelmctlTest, CheckConfigOnBrokenFolderExitsOne) {
    QTemporaryDir dir;
    test::WriteGoodConfigSet(dir.path());
    test::WriteFixture(dir.path(), "TarnDrive.dll",
                       QStringList{"Kelm Devices Global Configuration File", "c",
                                   "A\tU\tA\t1\t0\t1\t0\t0", "B\tU\tA\t1\t0\t1\t0\t0",
                                   "C\tU\tA\t2\t0\t1\t0"});
    const RunResult run = Kelmctl({"check-config", dir.path()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "Error Opening Device Configuration File\nParameter Name: B\n"
                       "Duplicate Address !\nParameter Ignored\n\n"
                       "Fatal Error Opening Device Configuration File\nConversione Error\n"
                       "Application Terminate!\n\n");
}

TEST(KelmctlTest, CheckConfigShowTimeFailureExitsOneAfterBothMessages) {
    QTemporaryDir dir;
    test::WriteGoodConfigSet(dir.path());
    ASSERT_TRUE(QFile::remove(dir.filePath("Homing_Orca.dll")));
    const RunResult run = Kelmctl({"check-config", dir.path()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "Fail to Open Homing_Orca.dll File\n\n"
                       "Fail To Load Homing Setup...\nApplication Terminate\n\n");
}

TEST(KelmctlTest, CheckConfigRejectsMissingFolder) {
    QTemporaryDir dir;
    EXPECT_EQ(Kelmctl({"check-config", dir.path() + "/absent"}).ExitCode, 2);
}

} // namespace
} // namespace kelm
