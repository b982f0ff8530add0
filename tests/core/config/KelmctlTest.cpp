// Runs the kelmctl executable on configuration folders written by the test.
#include "ConfigFixtures.h"
#include "common/ProgramRun.h"
#include "sim/kelmsim/SimProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
    const QString dev = dir.filePath("saved.dev");
    ASSERT_TRUE(QFile(dev).open(QIODevice::WriteOnly));
    const QString none = folder + "/none";
    const QString csv = dir.filePath("rec.csv");
    const QString sim = QStringLiteral(KELM_KELMSIM_PATH);
    // Program, arguments, exit code, what it says: on stdout for exit 0, else on stderr,
    // where a refused command line (2) says it in one line.
    std::vector<std::tuple<QString, QStringList, int, QString>> cases = {
        {ctl, {"--help"}, 0, "check-config [--format F] [BINDIR]"},
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
        {ctl, {"phase", "--timeout", "-1"}, 2, "--timeout takes a number from 0 to 3600"},
        {ctl, {"scope", "--level", "40000", "x.csv"}, 2, "--level takes a number"},
        {ctl, {"backup", "--kind", "nonsense", "x.dev"}, 2, "bad kind: nonsense"},
        {ctl, {"backup", folder}, 2, "is a folder"},
        {ctl, {"restore", folder}, 2, "is a folder"},
        {ctl, {"scope", folder + "/none/x.csv"}, 2, "does not exist"},
        {ctl, {"check-config", file}, 2, "is not a folder"},
        {ctl, {"check-config", folder, "extra"}, 2, "usage: kelmctl check-config"},
        {ctl, {"--device", none, "read", "0"}, 1, "no such device"},
        {ctl, {"--device", folder, "read", "0"}, 1, "it is a folder, not a serial port"},
        {ctl, {"--device", file, "read", "0"}, 1, "it is a regular file, not a serial port"},
        // Options before or after the command; --yes anywhere.
        {ctl, {"eeprom", "defaults", "--yes", "--device", none}, 1, "Default Data ? -> Yes\n"},
        {ctl, {"--device", none, "eeprom", "defaults"}, 1, "Default Data ? -> No"},
        {ctl, {"--kind", "std", "--device", none, "restore", dev}, 1, "no such device"},
        {ctl, {"--device", none, "--format", "json", "compare", dev}, 2, "no such device"},
        {ctl, {"--kind", "std", "read", "1"}, 2, "Unknown option 'kind'"},
        {ctl, {"read", "1", "--format", "xml"}, 2, "--format takes tsv or json, not \"xml\""},
        {ctl, {"--format", "tsv", "write", "1", "2"}, 2, "Unknown option 'format'"},
        // Broadcast only for write; the parities the line can do.
        {ctl, {"--address", "0", "read", "1"}, 2, "--address 0 is the broadcast address"},
        {ctl, {"reset", "--address", "0x0"}, 2, "only write takes it"},
        {ctl, {"--parity", "space", "read", "1"}, 2, "bad parity: space (the line does none, odd"},
        // Scope options against their ranges, before the port is opened.
        {ctl,
         {"scope", "--edge", "7", csv},
         2,
         "--edge takes 1 (rising), 2 (falling) or 3 "
         "(automatic), not \"7\""},
        {ctl, {"scope", "--signal1", "9", csv}, 2, "--signal1 takes a signal number from 1 to 8"},
        {ctl, {"scope", "--signal2", "0", csv}, 2, "--signal2 takes a signal number from 1"},
        {ctl, {"--link", "scope", "--signal2", "9", csv}, 2, "from 1 to 8"},
        {ctl, {"scope", "--window", "30", csv}, 2, "--window takes a time window of 10, 20, 50"},
        {ctl,
         {"scope", "--delay", "5000", "--window", "200", csv},
         2,
         "--delay takes 0 to the time window (200 ms), not \"5000\""},
        {ctl, {"scope", "--delay", "-1", csv}, 2, "(10000 ms), not \"-1\""},
        {ctl,
         {"scope", "--signal1", "3", "--scale1", "7", csv},
         2,
         "--scale1 takes 1, 2, 5, 10, 20, 50, 100, 200, 500 or 1000 for signal 3 (Current), not "
         "\"7\""},
        {ctl, {"scope", "--kind", "power", csv}, 2, "the Tarn Power unit has no oscilloscope"},
        {ctl, {"scope", "--list-signals", csv}, 2, "usage: kelmctl scope"},
        {ctl, {"scope", "--edge", "3", "--window", "50", "--device", none, csv}, 1, "no such"},
        {ctl, {"--kind", "drive", "scope", "--list-signals"}, 0, "drive\t3\tIq Current\t%\t1 2 5"},
        {ctl, {"scope", "--list-signals"}, 0, "\nstd\t2\tSpeed Reference\trpm\t10 20 50 "},
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
        EXPECT_TRUE(exitCode != 2 || run.Err.count('\n') == 1);
        for (const QString& message : run.Err.split('\n', Qt::SkipEmptyParts))
            EXPECT_TRUE(program != ctl || message.startsWith("kelmctl: ")) << qPrintable(message);
    }
    // A command that talks to no drive does not list the connection options, but takes them.
    const QString help = test::RunProgram(ctl, {"check-config", "--help"}).Out;
    EXPECT_TRUE(help.contains("--format") && !help.contains("--port")) << qPrintable(help);
    EXPECT_EQ(test::RunProgram(ctl, {"--device", none, "check-config"}).Code, 0);
}

// Results that never reach stdout are a failure, said on stderr.
TEST(KelmctlTest, AFailedWriteToStdoutExitsOne) {
    for (const QStringList& arguments : {QStringList{"--help"}, {"scope", "--list-signals"}}) {
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(ctl, arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 1) << qPrintable(arguments.join(' '));
        EXPECT_EQ(QString::fromLocal8Bit(process.readAllStandardError()),
                  "kelmctl: the results could not be written to standard output: No space left "
                  "on device\n");
    }
}

// What the set loading itself reports is tested with the set; here: printing and exit code.
// A usable set prints only its summary, one line per file read, and nothing is created
// inside the installation folder. A file cut short shows in its line; a looping link names
// its reason.
TEST(KelmctlTest, CheckConfigPrintsMessagesAndExitsOneOnlyWhenFatal) {
    const QString good = "device.dll: 2 registers\nTarnPower.dll: 2 registers\n";
    const QString goodJson =
        "{\"file\":\"device.dll\",\"record\":\"file\",\"summary\":\"2 registers\"}\n";
    // The file changed (removed; "+" cut after its header; "@" a link to itself), --format,
    // exit code, stderr, what stdout holds and its number of lines.
    const std::tuple<const char*, const char*, int, QString, QString, int> cases[] = {
        {"", "", 0, "", good, 17},
        {"", "json", 0, "", goodJson, 17},
        {"+device.dll", "", 0, "", "device.dll: 0 registers\nTarnPower.dll: 2 registers\n", 17},
        {"@device.dll", "", 1,
         "kelmctl: Fail to Open Devices Configuration File / Application Terminate! / Its "
         "symbolic links form a loop.\n",
         "", 0},
        {"strall.dll", "", 0,
         "kelmctl: Fail to Open Allarms Messages Configuration File / Load Defaut Message\n", good,
         17},
        {"strall.dll", "json", 0, "",
         "{\"record\":\"message\",\"severity\":\"error\",\"text\":\"Fail to Open Allarms "
         "Messages Configuration File / Load Defaut Message\"}\n",
         18},
        {"Homing_Orca.dll", "", 1,
         "kelmctl: Fail to Open Homing_Orca.dll File\n"
         "kelmctl: Fail To Load Homing Setup... / Application Terminate\n",
         good, 17},
        {"Homing_Orca.dll", "tsv", 1, "",
         "message\terror\tFail to Open Homing_Orca.dll File\n"
         "message\terror\tFail To Load Homing Setup... / Application Terminate\n",
         19},
    };
    for (const auto& [change, format, exitCode, err, out, lines] : cases) {
        QTemporaryDir dir;
        const QString bin = dir.path() + "/MyBin/";
        const QString file = bin + QString(change).remove('+').remove('@');
        test::WriteGoodConfigSet(bin);
        ASSERT_TRUE(!*change || QFile::remove(file));
        if (*change == '+')
            test::WriteFixture(bin, QFileInfo(file).fileName(),
                               QStringList{"Kelm Devices Global Configuration File", "c"});
        ASSERT_TRUE(*change != '@' || QFile::link(file, file));
        QStringList arguments{"check-config", bin};
        if (*format)
            arguments << "--format" << format;
        const test::ProgramRun run = test::RunProgram(ctl, arguments);
        EXPECT_EQ(std::tuple(run.Code, run.Err, run.Out.contains(out), run.Out.count('\n')),
                  std::tuple(exitCode, err, true, lines))
            << change << ' ' << format << '\n'
            << qPrintable(run.Out);
        EXPECT_FALSE(QFile::exists(dir.path() + "/Data"));
    }
    // Without BINDIR the set beside the executable is checked (the shipped one, whose
    // contents ShippedSet checks); --yes changes nothing there.
    EXPECT_EQ(test::RunProgram(ctl, {"--yes", "check-config"}).Code, 0);
}

// Against a simulated drive: a file that cannot be used is refused before the port is opened
// (the drive sees no request at all); a read-only file only with --force, keeping its mode;
// a restore writes what the file holds and fails when a line was ignored, saying how many.
TEST(KelmctlTest, FilesAreCheckedBeforeThePortAndIgnoredLinesFailTheRestore) {
    QTemporaryDir dir;
    const auto path = [&dir](const QString& name) { return dir.filePath(name); };
    sim::test::SimProcess sim;
    ASSERT_TRUE(sim.Start({"--log", path("sim.log")}, false));
    const auto ctl = [&](const QStringList& arguments) {
        return test::RunProgram(KELM_KELMCTL_PATH, QStringList{"--device", sim.Path()} + arguments,
                                path("config"));
    };
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.dev")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/null", path("null.bcp")) &&
                QFile::link("fifo.dev", path("f.csv")));
    test::WriteFixture(dir.path(), "ro.dev", QByteArray("old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path("ro.dev")).constData(), 0444), 0);
    const std::tuple<QStringList, int, QString> refused[] = {
        {{"backup", path("fifo.dev")}, 2, "It is a FIFO (named pipe)."},
        {{"backup", path("ro.dev")}, 2, "It is read-only. (--force overwrites it)"},
        {{"profiles-backup", path("null.bcp")}, 2, "/dev/null, a device."},
        {{"scope", path("f.csv")}, 2, "a FIFO (named pipe)."},
        {{"restore", path("fifo.dev")}, 2, "cannot read " + path("fifo.dev")},
        {{"profiles-restore", path("null.bcp")}, 2, "It is a device."},
        {{"compare", path("none.dev")}, 2, "There is no such file."},
        {{"restore", path("ro.txt")}, 1, "Different File Extensions"}};
    test::WriteFixture(dir.path(), "ro.txt", QByteArray("x"));
    for (const auto& [arguments, code, says] : refused) {
        const test::ProgramRun run = ctl(arguments);
        EXPECT_EQ(run.Code, code) << qPrintable(arguments.join(' ') + '\n' + run.Err);
        EXPECT_TRUE(run.Err.contains(says)) << qPrintable(run.Err);
    }
    EXPECT_TRUE(QFileInfo(path("sim.log")).size() == 0) << "the drive was asked";

    ASSERT_EQ(ctl({"backup", "--force", path("ro.dev")}).Code, 0);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path("ro.dev")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    QFile backup(path("ro.dev"));
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    const QByteArray full = backup.readAll();
    test::WriteFixture(dir.path(), "ghosts.dev", full + "Ghost\t9999\t1\r\nGhost\t9998\t1\r\n");
    // The four heading lines and the first register's line.
    test::WriteFixture(dir.path(), "one.dev", full.split('\n').mid(0, 5).join('\n') + '\n');
    const test::ProgramRun ghosts = ctl({"restore", path("ghosts.dev")});
    EXPECT_EQ(std::tuple(ghosts.Code, ghosts.Err.count("Value Ignored!")), std::tuple(1, 1));
    EXPECT_TRUE(
        ghosts.Err.contains("Unknown Parameter: 9998 / Value Ignored! / 2 lines ignored.\n"))
        << qPrintable(ghosts.Err);
    EXPECT_TRUE(ghosts.Err.contains("kelmctl: 2 lines of " + path("ghosts.dev") + " ignored"));
    const test::ProgramRun one = ctl({"restore", path("one.dev")});
    EXPECT_EQ(one.Code, 0) << qPrintable(one.Err);
    EXPECT_TRUE(one.Err.contains(QRegularExpression(" / 1 of [0-9]+ registers in the file.\n")))
        << qPrintable(one.Err);
}

} // namespace
} // namespace kelm
