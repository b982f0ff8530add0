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

TEST(KelmctlTest, HelpAndBadUsage) {
    const RunResult run = Kelmctl({"--help"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Out.contains("check-config [BINDIR]"));
    EXPECT_TRUE(run.Out.contains("--yes"));
    QTemporaryDir dir;
    const QStringList bad[] = {
        {"no-such-command"}, {"--bogus"}, {}, {"check-config", dir.path() + "/absent"}};
    for (const QStringList& arguments : bad)
        EXPECT_EQ(Kelmctl(arguments).ExitCode, 2) << qPrintable(arguments.join(' '));
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
    // Without BINDIR the set beside the executable is checked: the shipped one.
    const RunResult shipped = Kelmctl({"check-config"});
    EXPECT_EQ(shipped.ExitCode, 0);
    EXPECT_EQ(shipped.Out + shipped.Err, QString());
}

TEST(KelmctlTest, CheckConfigPrintsMessagesAndExitsOneOnlyWhenFatal) {
    // What the set loading itself reports is tested with the set; here: printing and exit code.
    const std::pair<const char*, QString> cases[] = {
        {"strall.dll", "Fail to Open Allarms Messages Configuration File\nLoad Defaut Message\n\n"},
        {"Homing_Orca.dll", "Fail to Open Homing_Orca.dll File\n\n"
                            "Fail To Load Homing Setup...\nApplication Terminate\n\n"},
    };
    for (const auto& [file, err] : cases) {
        QTemporaryDir dir;
        test::WriteGoodConfigSet(dir.path());
        ASSERT_TRUE(QFile::remove(dir.filePath(file)));
        const RunResult run = Kelmctl({"check-config", dir.path()});
        EXPECT_EQ(run.ExitCode, QString(file) == "strall.dll" ? 0 : 1) << file;
        EXPECT_EQ(run.Err, err);
        EXPECT_EQ(run.Out, QString());
    }
}

} // namespace
} // namespace kelm
