// Runs the kelmctl executable on configuration folders written by the test.
#include "ConfigFixtures.h"
#include "common/ProgramRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace kelm {
namespace {

const QString ctl = QStringLiteral(KELM_KELMCTL_PATH);

// Every program's command line: help and version, and bad input refused with one line on
// stderr and a non-zero exit, before anything is opened.
TEST(KelmctlTest, CommandLinesRefuseBadInputWithOneLine) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString file = dir.filePath("plain.txt");
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    const QString sim = QStringLiteral(KELM_KELMSIM_PATH);
    // Program, arguments, exit code, what it says: on stdout for exit 0, else the one line
    // on stderr.
    std::vector<std::tuple<QString, QStringList, int, QString>> cases = {
        {ctl, {"--help"}, 0, "check-config [BINDIR]"},
        {ctl, {"--version"}, 0, "kelmctl " KELM_VERSION},
        {ctl, {"read", "--help"}, 0, "--address <A>"},
        {ctl, {}, 2, "no command given"},
        {ctl, {"--bogus"}, 2, "Unknown option 'bogus'"},
        {ctl, {"no-such-command"}, 2, "unknown command no-such-command"},
        {ctl, {"--port"}, 2, "Missing value after '--port'"},
        {ctl, {"--port", "0", "read", "1"}, 2, "bad COM number: 0"},
        {ctl, {"read", "--port", "256", "1"}, 2, "bad COM number: 256"},
        {ctl, {"--baud", "99999999999", "read", "1"}, 2, "bad baud rate"},
        {ctl, {"--address", "300", "reset"}, 2, "bad device address: 300"},
        {ctl, {"read", "70000"}, 2, "bad register address"},
        {ctl, {"write", "1", "-70000"}, 2, "bad register value"},
        {ctl, {"read", "--kind", "std", "1"}, 2, "Unknown option 'kind'"},
        {ctl, {"phase", "--timeout", "-1"}, 2, "--timeout takes a number from 0 to 3600"},
        {ctl, {"offset", "--timeout"}, 2, "Missing value after '--timeout'"},
        {ctl, {"scope", "--level", "40000", "x.csv"}, 2, "--level takes a number"},
        {ctl, {"backup", "--kind", "nonsense", "x.dev"}, 2, "bad kind: nonsense"},
        {ctl, {"backup", folder}, 2, "is a folder"},
        {ctl, {"restore", folder}, 2, "is a folder"},
        {ctl, {"scope", folder + "/none/x.csv"}, 2, "does not exist"},
        {ctl, {"check-config", file}, 2, "is not a folder"},
        {ctl, {"check-config", folder, "extra"}, 2, "Usage: kelmctl check-config"},
        {ctl, {"--device", folder + "/none", "read", "0"}, 1, "no such device"},
        {sim, {"--version"}, 0, "kelmsim " KELM_VERSION},
        {sim, {"--bogus"}, 2, "Unknown option 'bogus'"},
        {sim, {"--address", "0"}, 2, "--address takes a number from 1 to 255"},
        {sim, {"--baud", "fast"}, 2, "--baud takes a number"},
        {sim, {"--log"}, 2, "Missing value after '--log'"},
        {sim, {"--log", folder}, 2, "is a folder"},
        {sim, {"--bin", file}, 2, "is a file, not a folder"},
        {sim, {"stray"}, 2, "unexpected word"},
    };
#ifdef KELM_KELMDRIVE_PATH
    const QString drive = QStringLiteral(KELM_KELMDRIVE_PATH);
    cases.push_back({drive, {"--version"}, 0, "kelmdrive " KELM_VERSION});
    cases.push_back({drive, {"--bogus"}, 2, "Unknown option 'bogus'"});
    cases.push_back({drive, {"expert"}, 2, "unknown word \"expert\""});
#endif
    for (const auto& [program, arguments, exitCode, says] : cases) {
        const test::ProgramRun run = test::RunProgram(program, arguments);
        SCOPED_TRACE(
            qPrintable(program.section('/', -1) + ' ' + arguments.join(' ') + '\n' + run.Err));
        EXPECT_EQ(run.Code, exitCode);
        EXPECT_TRUE((exitCode == 0 ? run.Out : run.Err).contains(says)) << qPrintable(run.Out);
        EXPECT_TRUE(exitCode == 0 || run.Err.count('\n') == 1);
    }
}

// What the set loading itself reports is tested with the set; here: printing and exit code.
// A usable set prints nothing at all, and nothing is created inside the installation folder.
TEST(KelmctlTest, CheckConfigPrintsMessagesAndExitsOneOnlyWhenFatal) {
    const std::tuple<const char*, int, QString> cases[] = {
        {"", 0, ""},
        {"strall.dll", 0,
         "Fail to Open Allarms Messages Configuration File\nLoad Defaut Message\n\n"},
        {"Homing_Orca.dll", 1,
         "Fail to Open Homing_Orca.dll File\n\n"
         "Fail To Load Homing Setup...\nApplication Terminate\n\n"},
    };
    for (const auto& [file, exitCode, err] : cases) {
        QTemporaryDir dir;
        const QString bin = dir.path() + "/MyBin";
        test::WriteGoodConfigSet(bin);
        ASSERT_TRUE(!*file || QFile::remove(bin + "/" + file));
        const test::ProgramRun run = test::RunProgram(ctl, {"check-config", bin});
        EXPECT_EQ(std::tuple(run.Code, run.Err, run.Out), std::tuple(exitCode, err, QString()))
            << file;
        EXPECT_FALSE(QFile::exists(dir.path() + "/Data"));
    }
    // Without BINDIR the set beside the executable is checked (the shipped one, whose
    // contents ShippedSet checks); --yes changes nothing there.
    EXPECT_EQ(test::RunProgram(ctl, {"--yes", "check-config"}).Code, 0);
}

} // namespace
} // namespace kelm
