// kelmctl's drive commands (whole-table transfers, EEPROM and reset commands, alarms,
// comparison, profiles) against a running kelmsim.
#include "sim/kelmsim/SimProcess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using kelm::sim::test::SimProcess;

namespace {

struct CtlRun {
    int Code = -1;
    QString Out;
    QString Err;
};

class DriveCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(files.isValid());
        // A plain drive, no configuration file; every request logged.
        ASSERT_TRUE(sim.Start(QStringList{"--log", File("sim.log")} + SimKind(), false));
    }
    virtual QStringList SimKind() const { return {}; }

    // The requests logged from line `from` on as "address function register count answered";
    // with writesOnly the answered writes as "address register".
    QStringList Logged(qsizetype from = 0, bool writesOnly = false) const {
        QFile log(File("sim.log"));
        QStringList out;
        if (log.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromLatin1(log.readAll()).split('\n').mid(from)) {
                const QStringList f = line.split(' ');
                if (!writesOnly && f.size() == 6)
                    out << f.mid(1).join(' ');
                else if (f.value(2) == "16" && f.value(5) == "yes")
                    out << f[1] + ' ' + f[3];
            }
        return out;
    }

    CtlRun Kelmctl(const QStringList& arguments) {
        QProcess process;
        // The user's own settings and oscilloscope settings stay out of the test.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), File("config"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KELMCTL_PATH),
                      QStringList{"--device", sim.Path()} + arguments);
        CtlRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.Code = process.exitCode();
        run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.Err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // The value of one register as "kelmctl read" prints it.
    int ReadRegister(int address) {
        const CtlRun run = Kelmctl({"read", QString::number(address)});
        const QStringList fields = run.Out.trimmed().split(QLatin1Char('\t'));
        return run.Code == 0 && fields.size() == 2 ? fields[1].toInt() : -1;
    }

    QString File(const QString& name) const { return files.filePath(name); }

    static QStringList Lines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    }

    SimProcess sim;
    QTemporaryDir files;
};

TEST_F(DriveCommands, BackupRestoreAndCompareRoundTrip) {
    const CtlRun backup = Kelmctl({"backup", File("drive.dev")});
    ASSERT_EQ(backup.Code, 0) << backup.Err.toStdString();
    const QStringList lines = Lines(File("drive.dev"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], "Kelm Industries");
    EXPECT_EQ(lines[1], "Device Configuration File");

    const int poles = ReadRegister(7);
    ASSERT_GT(poles, 0);
    ASSERT_EQ(Kelmctl({"write", "7", QString::number(poles + 2)}).Code, 0);

    // Against the backup only register 7 differs now; restoring it writes it back.
    const CtlRun compare = Kelmctl({"compare", File("drive.dev")});
    ASSERT_EQ(compare.Code, 1); // rows differ
    QStringList marked;
    for (const QString& line : compare.Out.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1Char('*')))
            marked << line;
    ASSERT_EQ(marked.size(), 1) << compare.Out.toStdString();
    EXPECT_TRUE(marked[0].contains(QStringLiteral("\t007\t"))) << marked[0].toStdString();

    const CtlRun restore = Kelmctl({"restore", File("drive.dev")});
    ASSERT_EQ(restore.Code, 0) << restore.Err.toStdString();
    EXPECT_EQ(ReadRegister(7), poles);
    EXPECT_EQ(Kelmctl({"compare", File("drive.dev")}).Code, 0);
}

// A hand-edited value above its limit stops the restore before any write (--force writes
// it); when the drive falls silent after 41 writes, the restore says how far it got.
TEST_F(DriveCommands, RestoreChecksLimitsAndSaysHowFarItGot) {
    ASSERT_EQ(Kelmctl({"backup", File("drive.dev")}).Code, 0);
    QString text = Lines(File("drive.dev")).join("\r\n");
    text.replace(QRegularExpression("\nMotor Poles\t0*7\t[^\r]*"), "\nMotor Poles\t7\t999");
    QFile file(File("edited.dev"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.toLatin1()) > 0);
    file.close();
    qsizetype mark = Logged().size();
    const CtlRun refused = Kelmctl({"restore", File("edited.dev")});
    EXPECT_EQ(refused.Code, 1);
    EXPECT_TRUE(refused.Err.contains("Motor Poles (7): 999, limits 2 to 32"))
        << refused.Err.toStdString();
    EXPECT_TRUE(Logged(mark, true).isEmpty());
    ASSERT_EQ(Kelmctl({"restore", "--force", File("edited.dev")}).Code, 0);
    EXPECT_EQ(ReadRegister(7), 999);

    ASSERT_TRUE(sim.Command("silentafter 1 41"));
    mark = Logged().size();
    const CtlRun broken = Kelmctl({"restore", File("drive.dev")});
    EXPECT_EQ(broken.Code, 1);
    EXPECT_EQ(Logged(mark, true).size(), 41);
    EXPECT_TRUE(broken.Err.contains(QRegularExpression("\n41 of [0-9]+ registers written; ")))
        << broken.Err.toStdString();
    EXPECT_TRUE(broken.Err.contains("no answer from address 1 on " + sim.Path()));
}

// Nothing is written for a wrong file, a wrong kind or a silent drive.
TEST_F(DriveCommands, RefusedFilesAndASilentDrive) {
    const CtlRun missing = Kelmctl({"compare", File("missing.dev")});
    EXPECT_EQ(missing.Code, 2); // trouble
    EXPECT_TRUE(missing.Err.contains("Unable open Device:")) << missing.Err.toStdString();
    QFile bad(File("bad.dev"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a parameter file\r\n");
    bad.close();
    const CtlRun wrong = Kelmctl({"compare", File("bad.dev")});
    EXPECT_EQ(wrong.Code, 2);
    EXPECT_TRUE(wrong.Err.contains("Error Opening Device:")) << wrong.Err.toStdString();

    const CtlRun kind = Kelmctl({"backup", File("drive.tnd")});
    EXPECT_EQ(kind.Code, 1);
    EXPECT_TRUE(kind.Err.contains("Different File Extensions")) << kind.Err.toStdString();
    EXPECT_FALSE(QFile::exists(File("drive.tnd")));
    EXPECT_EQ(Kelmctl({"backup", "--kind", "drive", File("drive.dev")}).Code, 1);
    EXPECT_EQ(Kelmctl({"backup", "--kind", "nonsense", File("drive.dev")}).Code, 2);

    ASSERT_TRUE(sim.Command("silent 1 on"));
    const CtlRun silent = Kelmctl({"backup", File("none.dev")});
    EXPECT_EQ(silent.Code, 1);
    EXPECT_TRUE(silent.Err.contains("no answer from address 1 on " + sim.Path()));
    EXPECT_FALSE(QFile::exists(File("none.dev")));
    EXPECT_EQ(Kelmctl({"compare", File("drive.dev")}).Code, 2);
}

TEST_F(DriveCommands, EepromAndResetCommands) {
    EXPECT_EQ(Kelmctl({"eeprom", "save"}).Code, 0);
    EXPECT_EQ(Kelmctl({"eeprom", "reload"}).Code, 0);
    EXPECT_EQ(Kelmctl({"reset"}).Code, 0);
    // Defaults are only loaded after a Yes.
    const CtlRun refused = Kelmctl({"eeprom", "defaults"});
    EXPECT_EQ(refused.Code, 1);
    EXPECT_TRUE(refused.Err.contains("Load Default Data ?"));
    EXPECT_EQ(Kelmctl({"eeprom", "bogus"}).Code, 2);

    ASSERT_TRUE(sim.Command("cmdfault 1 on"));
    const CtlRun failed = Kelmctl({"eeprom", "save"});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_TRUE(failed.Err.contains("Device not perform\nEEPROM operation!"))
        << failed.Err.toStdString();
    EXPECT_EQ(Kelmctl({"reset"}).Code, 1);
}

TEST_F(DriveCommands, AlarmsAreListedWithTheirNumbers) {
    ASSERT_TRUE(sim.Command("alarm 1 0x5"));
    const CtlRun run = Kelmctl({"alarms"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QStringList lines = run.Out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "Active alarms: 0x00000005");
    EXPECT_TRUE(lines[1].startsWith("  1\t"));
    EXPECT_TRUE(lines[2].startsWith("  3\t"));
    EXPECT_TRUE(run.Out.contains("Historic alarms: 0x00000005"));
    ASSERT_TRUE(sim.Command("alarm 1 0"));
    const CtlRun reset = Kelmctl({"alarms", "--reset"});
    ASSERT_EQ(reset.Code, 0) << reset.Err.toStdString();
    EXPECT_TRUE(reset.Out.contains("Historic alarms: 0x00000000")) << reset.Out.toStdString();
}

TEST_F(DriveCommands, ProfilesRoundTrip) {
    ASSERT_EQ(Kelmctl({"write", "300", "1234", "-5"}).Code, 0);
    ASSERT_EQ(Kelmctl({"profiles-backup", File("p.bcp")}).Code, 0);
    EXPECT_TRUE(Lines(File("p.bcp")).contains("P300\t300\t1234"));
    ASSERT_EQ(Kelmctl({"write", "300", "0", "0"}).Code, 0);
    const CtlRun restore = Kelmctl({"profiles-restore", File("p.bcp")});
    ASSERT_EQ(restore.Code, 0) << restore.Err.toStdString();
    EXPECT_EQ(ReadRegister(300), 1234);
    EXPECT_EQ(ReadRegister(301), 65531);
    EXPECT_EQ(Kelmctl({"profiles-backup", File("p.dev")}).Code, 1);

    EXPECT_EQ(Kelmctl({"profiles-flash", "save"}).Code, 1);
    ASSERT_EQ(Kelmctl({"--yes", "profiles-flash", "save"}).Code, 0);
    ASSERT_EQ(Kelmctl({"write", "300", "7"}).Code, 0);
    ASSERT_EQ(Kelmctl({"--yes", "profiles-flash", "load"}).Code, 0);
    EXPECT_EQ(ReadRegister(300), 1234);
}

// Motor phasing and offset tuning: the question (--yes), the result texts on stderr, and
// each refusal or failure the drive can cause.
// One record from the command line: the chosen signals in the header, one line per sample;
// a recorder that never completes fails after the time limit naming the line.
TEST_F(DriveCommands, ScopeCaptureAndTimeOut) {
    const CtlRun captured =
        Kelmctl({"scope", "--signal1", "2", "--signal2", "0", "--window", "50", File("rec.csv")});
    ASSERT_EQ(captured.Code, 0) << captured.Err.toStdString();
    const QStringList lines = Lines(File("rec.csv"));
    ASSERT_EQ(lines.size(), 502); // header, 500 samples, the empty rest after the last CRLF
    EXPECT_EQ(lines.first(), "Time [ms],Current,Speed");
    EXPECT_EQ(lines[500].section(',', 0, 0), "49.9");
    EXPECT_TRUE(Logged(0, true).contains("1 50000"));

    EXPECT_EQ(Kelmctl({"scope", File("rec.txt")}).Code, 2);
    ASSERT_TRUE(sim.Command("scopehang 1 on"));
    const CtlRun hung = Kelmctl({"scope", "--timeout", "1", File("hung.kls")});
    EXPECT_EQ(hung.Code, 1);
    EXPECT_TRUE(hung.Err.contains("no record from address 1 on " + sim.Path() + " within 1 s"))
        << hung.Err.toStdString();
    EXPECT_FALSE(QFile::exists(File("hung.kls")));
}

TEST_F(DriveCommands, PhasingAndOffsetTuning) {
    ASSERT_TRUE(sim.Command("procdelay 1 300"));
    const CtlRun asked = Kelmctl({"phase"});
    EXPECT_EQ(asked.Code, 1);
    EXPECT_TRUE(asked.Err.contains("Make Auto Phase Motor Feedback"));
    EXPECT_TRUE(Logged(0, true).isEmpty());

    const CtlRun phased = Kelmctl({"--yes", "phase"});
    EXPECT_EQ(phased.Code, 0) << phased.Err.toStdString();
    EXPECT_TRUE(phased.Err.contains("MOTOR PHASING SUCCESSFUL\n\nPhase Value:01234"));
    EXPECT_EQ(Logged(0, true), QStringList({"1 69", "1 73", "1 74"}));

    ASSERT_TRUE(sim.Command("procfault 1 hang"));
    const CtlRun hung = Kelmctl({"--yes", "offset", "--timeout", "1", "2"});
    EXPECT_EQ(hung.Code, 1);
    EXPECT_TRUE(hung.Err.contains("did not finish within 1 s"));
    EXPECT_TRUE(hung.Err.contains("ANALOG INPUT 2 OFFSET TUNING FAIL !"));
    ASSERT_TRUE(sim.Command("procfault 1 off"));

    const CtlRun offset = Kelmctl({"--yes", "offset", "1"});
    EXPECT_EQ(offset.Code, 0) << offset.Err.toStdString();
    EXPECT_TRUE(
        offset.Err.contains("ANALOG INPUT 1 OFFSET TUNING SUCCESSFUL\n\nOffset Value:30.5 mV"));
    EXPECT_EQ(ReadRegister(29), 100);
    EXPECT_EQ(Kelmctl({"offset", "3"}).Code, 2);
}

// On a link the kind is what the unit at the address is; a contradicting --kind is refused
// after the identification reads alone.
class LinkCommands : public DriveCommands {
protected:
    QStringList SimKind() const override { return {"--kind", "link"}; }
};

TEST_F(LinkCommands, TheKindIsTheUnitAtTheAddress) {
    const QStringList unit2 = {"--link", "--address", "2"};
    ASSERT_EQ(Kelmctl(unit2 + QStringList{"eeprom", "save"}).Code, 0);
    // The command register of a Drive unit (202), never the plain drive's (69).
    EXPECT_EQ(Logged(0, true), QStringList{"2 202"});

    const qsizetype mark = Logged().size();
    const CtlRun refused = Kelmctl(unit2 + QStringList{"backup", "--kind", "std", File("u.dev")});
    EXPECT_EQ(refused.Code, 1);
    EXPECT_TRUE(refused.Err.contains("--kind std does not match the drive: address 2 on " +
                                     sim.Path() + " is a Tarn Drive unit (--kind drive)"))
        << refused.Err.toStdString();
    // Only the identification reads at the Power unit's address: 6, 11, 249/250.
    EXPECT_EQ(Logged(mark), QStringList({"1 3 6 1 yes", "1 3 11 1 yes", "1 3 249 2 yes"}));

    ASSERT_EQ(Kelmctl(unit2 + QStringList{"backup", File("u.tnd")}).Code, 0);
    EXPECT_TRUE(
        Kelmctl({"--link", "--address", "9", "reset"}).Err.contains("no unit at address 9"));
}

// On a Drive unit phasing waits in two phases: a unit that clears the request but stays
// enabled has failed, and the program withdraws the request in 202. The Power unit has no
// procedures.
TEST_F(LinkCommands, PhasingOnADriveUnit) {
    const QStringList unit2 = {"--link", "--address", "2", "--yes"};
    ASSERT_TRUE(sim.Command("procdelay 2 300"));
    const CtlRun phased = Kelmctl(unit2 + QStringList{"phase"});
    EXPECT_EQ(phased.Code, 0) << phased.Err.toStdString();
    EXPECT_TRUE(phased.Err.contains("Phase Value:01234"));

    ASSERT_TRUE(sim.Command("procfault 2 enabled"));
    const qsizetype mark = Logged().size();
    const CtlRun failed = Kelmctl(unit2 + QStringList{"phase"});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_TRUE(failed.Err.contains("MOTOR PHASING FAIL !"));
    EXPECT_EQ(Logged(mark, true), QStringList({"2 202", "2 200", "2 201", "2 202"}));

    const CtlRun power = Kelmctl({"--link", "--address", "1", "--yes", "phase"});
    EXPECT_EQ(power.Code, 1);
    EXPECT_TRUE(power.Err.contains("no commissioning procedures"));
}

} // namespace
