// kelmctl's drive commands (whole-table transfers, EEPROM and reset commands, alarms,
// profiles, the recorder, the procedures, the journal) against a running kelmsim.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"
#include "common/SocatBridge.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <optional>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

// One kelmctl run of a table: a control line for kelmsim first (when not empty), the
// arguments, the exit code, texts expected on stdout or stderr ("$DEV" stands for the
// terminal's path, "$WRITTEN" for the number of registers the drive acknowledged) and, when
// given, the register writes the run made as "address register".
struct Step {
    QString Control;
    QStringList Arguments;
    int Code;
    QStringList Says = {};
    std::optional<QStringList> Writes = std::nullopt;
};
const QStringList None;

struct DriveCommands : ::testing::Test {
    // A drive of the shipped configuration; every request logged.
    void SetUp() override {
        ASSERT_TRUE(sim.Start(QStringList{"--log", File("sim.log")} + SimKind(), false));
        device = sim.Path();
        if (overTcp) {
            bridge = std::make_unique<SocatBridge>(sim.Path());
            device = bridge->Path();
            ASSERT_FALSE(device.isEmpty()) << "socat did not start (scripts/setup.sh)";
        }
    }
    virtual QStringList SimKind() const { return {}; }

    // The requests logged from line `from` on as "address function register count answered";
    // with writesOnly the answered writes as "address register".
    QStringList Logged(qsizetype from = 0, bool writesOnly = false) const {
        QStringList out;
        for (const QString& line : Text("sim.log").split('\n').mid(from))
            if (const QStringList f = line.split(' '); !writesOnly && f.size() == 6)
                out << f.mid(1).join(' ');
            else if (f.value(2) == "16" && f.value(5) == "yes")
                out << f[1] + ' ' + f[3];
        return out;
    }
    ProgramRun Ctl(const QStringList& arguments) {
        return Kelmctl(QStringList{"--device", device} + arguments, File("config"));
    }

    void Run(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE((step.Control + " | " + step.Arguments.join(' ')).toStdString());
            ASSERT_TRUE(step.Control.isEmpty() || sim.Command(step.Control));
            const qsizetype mark = Logged().size();
            const ProgramRun run = Ctl(step.Arguments);
            EXPECT_EQ(run.Code, step.Code) << run.Err.toStdString();
            QStringList written = Logged(mark, true);
            EXPECT_EQ(written, step.Writes.value_or(written));
            written.removeDuplicates(); // a write asked again after a late reply counts once
            for (QString text : step.Says)
                EXPECT_TRUE(
                    (run.Out + run.Err)
                        .contains(text.replace("$DEV", device)
                                      .replace("$WRITTEN", QString::number(written.size()))))
                    << run.Out.toStdString() << run.Err.toStdString();
        }
    }

    QString File(const QString& name) const { return files.filePath(name); }
    QString Text(const QString& name) const {
        QFile file(File(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
    bool Write(const QString& name, const QString& text) const {
        QFile file(File(name));
        return file.open(QIODevice::WriteOnly) && file.write(text.toLatin1()) == text.size();
    }

    QTemporaryDir files;
    SimProcess sim;
    bool overTcp = false;
    std::unique_ptr<SocatBridge> bridge;
    QString device; // the terminal, or the TCP port bridged to it
};

// The same tables through a serial device server: a TCP port bridged to the terminal.
struct DriveLine : DriveCommands, ::testing::WithParamInterface<bool> {
    void SetUp() override {
        overTcp = GetParam();
        DriveCommands::SetUp();
    }
};
INSTANTIATE_TEST_SUITE_P(Lines, DriveLine, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Tcp" : "Terminal"; });

// A hand-edited value above its limit stops a restore before any write (--force writes it);
// a round trip through the files, then what stops a restore or a backup: a wrong file or kind,
// a drive falling silent after 41 writes (the restore says how far it got); a silent drive
// and bad input to the raw commands.
TEST_P(DriveLine, BackupCompareRestoreAndWhatStopsThem) {
    ASSERT_EQ(Ctl({"backup", File("drive.dev")}).Code, 0);
    QString edited = Text("drive.dev");
    edited.replace(QRegularExpression("\nMotor Poles\t0*7\t[^\r]*"), "\nMotor Poles\t7\t999");
    ASSERT_TRUE(Write("edited.dev", edited));
    ASSERT_TRUE(Write("bad.dev", "not a parameter file\r\n"));
    // clang-format off
    Run({
        {"", {"compare", File("edited.dev")}, 1, {"\n*\tMotor Poles\t7\t8\t999\n", "\n1 of "}},
        {"", {"restore", File("edited.dev")}, 1, {"Motor Poles (7): 999, limits 2 to 32"}, None},
        {"", {"restore", "--force", File("edited.dev")}, 0},
        {"", {"compare", File("edited.dev")}, 0},
        {"", {"restore", File("drive.dev")}, 0},
        {"", {"compare", File("drive.dev")}, 0},
        {"", {"compare", File("bad.dev")}, 2, {"Error Opening Device:"}},
        {"", {"backup", File("drive.tnd")}, 1, {"Different File Extensions"}},
        {"", {"backup", "--kind", "drive", File("drive.dev")}, 1},
        {"silentafter 1 41", {"restore", File("drive.dev")}, 1,
         {"kelmctl: $WRITTEN of ", " registers written; ", "no answer from address 1 on $DEV"}},
        {"silent 1 on", {"compare", File("drive.dev")}, 2},
        {"", {"read", "0"}, 1, {"Device not Respondig"}},
        {"", {"read", "65535", "2"}, 2},
        {"", {"--port", "3", "read", "0"}, 2}, // a port as well as a device
    });
    // clang-format on
    EXPECT_FALSE(QFile::exists(File("drive.tnd")));
}

// The profiles' round trip and flash commands, motor phasing and offset tuning (the question,
// --yes, the result texts, each refusal or failure the drive can cause), the EEPROM, reset and
// alarm commands; a slow line's reply window.
// clang-format off
TEST_P(DriveLine, ProfilesProceduresEepromAndAlarms) {
    Run({
        {"", {"write", "300", "1234", "-5"}, 0},
        {"", {"profiles-backup", File("p.bcp")}, 0},
        {"", {"write", "300", "0", "0"}, 0},
        {"", {"profiles-restore", File("p.bcp")}, 0},
        {"", {"read", "300", "2"}, 0, {"300\t1234\n301\t65531\n"}},
        {"", {"profiles-backup", File("p.dev")}, 1},
        {"", {"profiles-flash", "save"}, 1},
        {"", {"--yes", "profiles-flash", "save"}, 0},
        {"", {"write", "300", "7"}, 0},
        {"", {"--yes", "profiles-flash", "load"}, 0},
        {"", {"read", "300"}, 0, {"300\t1234\n"}},
        {"procdelay 1 300", {"phase"}, 1, {"Make Auto Phase Motor Feedback"}, None},
        {"", {"phase", "--yes"}, 0, {"MOTOR PHASING SUCCESSFUL\nPhase Value:01234\n"}},
        {"", {"--yes", "phase", "--format", "json"}, 0, {"{\"procedure\":\"phase\",\"value\":1234}\n"}},
        {"procfault 1 hang", {"--yes", "offset", "--timeout", "1", "2"}, 1, // request withdrawn
         {"did not finish within 1 s", "ANALOG INPUT 2 OFFSET TUNING FAIL !"},
         QStringList{"1 69", "1 69"}},
        {"procfault 1 off", {"--yes", "offset", "1"}, 0,
         {"ANALOG INPUT 1 OFFSET TUNING SUCCESSFUL\nOffset Value:30.5 mV\n"}},
        {"", {"--yes", "offset", "--format", "tsv", "1"}, 0, {"offset\t1\t30.5\t"}},
        {"", {"offset", "3"}, 2},
        {"", {"eeprom", "save"}, 0, {}, QStringList{"1 69"}},
        {"", {"eeprom", "reload"}, 0},
        {"", {"reset"}, 0},
        {"", {"eeprom", "defaults"}, 1, {"Load Default Data ?"}, None}, // only after Yes
        {"", {"eeprom", "bogus"}, 2},
        {"alarm 1 0x5", {"alarms"}, 0,
         {"Active alarms: 0x00000005\n  1\t", "\n  3\t", "Historic alarms: 0x00000005"}},
        {"alarm 1 0", {"alarms", "--reset"}, 0, {"Historic alarms: 0x00000000"}},
        {"cmdfault 1 on", {"eeprom", "save"}, 1, {"kelmctl: Device not perform / EEPROM operation!\n"}},
        {"", {"reset"}, 1},
        // At 2400 baud 32 registers take 335 ms on the line: the reply window opens only then,
        // so a reply 375 ms late is in time and the write is not sent again.
        {"delay 375", QStringList{"--baud", "2400", "write", "300"} + QStringList(32, "0"), 0, {},
         QStringList{"1 300"}},
    });
}
// clang-format on

// One record: the chosen signals in the header, named from 1 as the window names them, one
// line per sample, the recorder set back to idle after it; a recorder that never completes
// fails after the time limit naming the line, and no file is left.
TEST_P(DriveLine, ScopeCaptureAndTimeOut) {
    // clang-format off
    Run({
        {"", {"scope", "--signal1", "2", "--signal2", "3", "--window", "50", File("rec.csv")}, 0},
        // Idle again; the delay at half the new window.
        {"", {"read", "50000", "8"}, 0, {"50000\t0\n50001\t50\n", "\n50003\t25\n", "\n50006\t2\n50007\t3\n"}},
        {"", {"scope", File("rec.txt")}, 2},
        {"scopehang 1 on", {"scope", "--timeout", "1", File("hung.kls")}, 1,
         {"no record from address 1 on $DEV within 1 s"}},
    });
    // clang-format on
    const QStringList lines = Text("rec.csv").split("\r\n");
    ASSERT_EQ(lines.size(), 502); // header, 500 samples, the empty rest after the last CRLF
    EXPECT_EQ(lines.first(), "Time [ms],Speed Reference [rpm],Current [%]");
    EXPECT_EQ(lines[500].section(',', 0, 0), "49.9");
    EXPECT_FALSE(QFile::exists(File("hung.kls")));
}

// Values read as JSON records are written back elsewhere and read again as tsv: the same
// values. A broadcast goes out once and awaits no reply.
TEST_P(DriveLine, JsonRoundTripAndBroadcast) {
    ASSERT_EQ(Ctl({"write", "300", "1234", "-5", "65535"}).Code, 0);
    const ProgramRun json = Ctl({"read", "300", "3", "--format", "json"});
    EXPECT_EQ(std::pair(json.Code, json.Out),
              std::pair(0, QString("{\"address\":300,\"value\":1234}\n{\"address\":301,"
                                   "\"value\":65531}\n{\"address\":302,\"value\":65535}\n")));
    ASSERT_EQ(Ctl({"write", "310", "1234", "65531", "65535"}).Code, 0);
    EXPECT_EQ(Ctl({"--format", "tsv", "read", "310", "3"}).Out,
              "310\t1234\n311\t65531\n312\t65535\n");

    const qsizetype mark = Logged().size();
    Run({{"", {"--address", "0", "write", "300", "9"}, 0, {"sent once to address 0 (broadcast)"}}});
    // Across a network the frame may still be on its way when kelmctl has ended.
    for (int waited = 0; Logged(mark).isEmpty() && waited < 2000; waited += 50)
        QThread::msleep(50);
    QThread::msleep(300);
    EXPECT_EQ(Logged(mark), QStringList{"0 16 300 1 no"});
}

// On a link the kind is what the unit at the address is: a contradicting --kind is refused
// after the identification reads alone; a Drive unit takes its commands in 202; the Power
// unit has no procedures.
struct LinkCommands : DriveCommands {
    QStringList SimKind() const override { return {"--kind", "link"}; }
};

TEST_F(LinkCommands, TheKindAndTheProceduresAreTheUnitsAtTheAddress) {
    const QStringList unit2 = {"--link", "--address", "2"};
    const qsizetype mark = Logged().size();
    Run({{"",
          unit2 + QStringList{"backup", "--kind", "std", File("u.dev")},
          1,
          {"--kind std does not match the drive: address 2 on $DEV is a Tarn Drive unit "
           "(--kind drive)"}}});
    // Only the identification reads at the Power unit's address: 6, 11, 249/250.
    EXPECT_EQ(Logged(mark), QStringList({"1 3 6 1 yes", "1 3 11 1 yes", "1 3 249 2 yes"}));
    // clang-format off
    Run({
        {"", unit2 + QStringList{"eeprom", "save"}, 0, {}, QStringList{"2 202"}},
        {"", unit2 + QStringList{"backup", File("u.tnd")}, 0},
        {"", {"--link", "--address", "9", "reset"}, 1, {"no unit at address 9"}},
        {"", unit2 + QStringList{"--yes", "phase"}, 0, {"Phase Value:01234"}},
        {"", {"--link", "--address", "1", "--yes", "phase"}, 1, {"no commissioning procedures"}},
    });
    // clang-format on
}

// The journal: writes journalled with their old values, one change taken back exactly, the
// undo a change of its own, commands without values.
struct JournalCommands : DriveCommands {
    void SetUp() override {
        qputenv("XDG_DATA_HOME", files.path().toLocal8Bit()); // a journal of this test's own
        DriveCommands::SetUp();
    }
    // The journal as "change register old new result" or "change command result" lines.
    QStringList Entries() {
        QStringList out;
        for (const QString& line : Ctl({"journal", "--format", "json"}).Out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.isEmpty())
                continue;
            const QString what = o["command"].isString() ? o["command"].toString()
                                                         : QStringLiteral("%1 %2 %3")
                                                               .arg(o["register"].toInt())
                                                               .arg(o["old"].toInt())
                                                               .arg(o["new"].toInt());
            out << QStringLiteral("%1 %2 %3")
                       .arg(o["change"].toInt())
                       .arg(what, o["result"].toString());
        }
        return out;
    }
};

TEST_F(JournalCommands, UndoRestoresTheOldValuesAsAChangeOfItsOwn) {
    const QString before = Ctl({"read", "23", "2"}).Out;
    ASSERT_EQ(Ctl({"write", "23", "11", "12"}).Code, 0);
    ASSERT_EQ(Ctl({"write", "24", "13"}).Code, 0);
    const ProgramRun asked = Ctl({"journal", "undo", "1"});
    EXPECT_EQ(asked.Code, 1) << asked.Err.toStdString(); // no terminal, no --yes
    EXPECT_TRUE(asked.Out.contains("  24 : 12 -> ")) << asked.Out.toStdString();
    EXPECT_EQ(Ctl({"read", "23", "2"}).Out, "23\t11\n24\t13\n");

    const ProgramRun undo = Ctl({"--yes", "journal", "undo", "1"});
    EXPECT_EQ(undo.Code, 0) << undo.Err.toStdString();
    EXPECT_EQ(Ctl({"read", "23", "2"}).Out, before);
    const QStringList entries = Entries();
    ASSERT_EQ(entries.size(), 5) << entries.join('\n').toStdString();
    // Newest first.
    EXPECT_TRUE(entries[0].startsWith("3 23 11 ") && entries[1].startsWith("3 24 13 "))
        << entries.join('|').toStdString();
    EXPECT_EQ(entries[2], "2 24 12 13 written");
    EXPECT_TRUE(Ctl({"journal"}).Out.contains("Undo change 1"));

    // A change made on another drive (its model edited in the file): refused, nothing written.
    const QString journal = Text("kelmdrive/journal.jsonl");
    QString last = journal.split('\n').value(4);
    ASSERT_TRUE(last.contains("\"change\":3")) << last.toStdString();
    last.replace("\"change\":3", "\"change\":9").replace("\"model\":\"", "\"model\":\"X");
    ASSERT_TRUE(Write("kelmdrive/journal.jsonl", journal + last + '\n'));
    const ProgramRun other = Ctl({"--yes", "journal", "undo", "9"});
    EXPECT_EQ(other.Code, 2);
    EXPECT_TRUE(other.Err.contains("Change 9 was made on another drive: model X"))
        << other.Err.toStdString();
    EXPECT_EQ(Ctl({"read", "23", "2"}).Out, before);
    const ProgramRun missing = Ctl({"--yes", "journal", "undo", "99"});
    EXPECT_TRUE(missing.Code == 2 && missing.Err.contains("Change 99 is not in the journal"));
}

TEST_F(JournalCommands, CommandsAreJournalledWithoutValues) {
    ASSERT_EQ(Ctl({"eeprom", "save"}).Code, 0);
    EXPECT_EQ(Entries(), QStringList{"1 Save Data To EEPROM written"});
    const ProgramRun undo = Ctl({"--yes", "journal", "undo", "1"});
    EXPECT_TRUE(undo.Code == 0 && undo.Err.contains("left nothing to take back"));
}

} // namespace
