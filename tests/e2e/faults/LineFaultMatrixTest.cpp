// Every line fault against every drive operation, end to end: kelmctl (and the drive model
// inside it) on a pseudo-terminal to kelmsim. Per cell: no hang, the right exit and message,
// three tries of the failing request, files never half-written, and the line usable again
// once the fault is gone.
#include "common/ProgramRun.h"
#include "sim/kelmsim/SimProcess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

using kelm::sim::test::SimProcess;

namespace {

// A reply starts within 150 ms or counts as lost; a lost one arrives after the third try. The
// master meets every reply that fails its checks on one path: bad CRC and wrong address stand
// for the rest (the frame tests check each defect).
const struct Fault {
    const char* Name;
    QStringList Commands; // to the simulator before the run ("after n ..." = mid-transfer)
    bool Survives;        // the operation still succeeds
    bool Tries;           // the failing request reaches the drive three times
    int LateMs = 0;       // replies still on their way after the run
} Faults[] = {
    {"silence", {"silent * on"}, false, true},
    {"silence mid-transfer", {"after 2 silent * on"}, false, true},
    {"bad CRC", {"badcrc on"}, false, true},
    {"wrong address", {"wrongaddr on"}, false, true},
    {"truncated reply", {"truncate on"}, false, true},
    {"trailing bytes", {"trailing on"}, true, false},
    {"delay inside the time-out", {"after 2 delay 90", "after 6 delay 0"}, true, false},
    {"delay outside the time-out", {"delay 1000"}, false, true, 1000},
    {"exception reply", {"exception 4"}, false, true},
    {"hang-up mid-transfer", {"after 2 hangup"}, false, false},
};

const char* const NoAnswer = "no answer from address [12] on ";

// clang-format off
const struct Operation {
    const char* Name;
    bool Link;          // on the Tarn link (Drive unit 2) instead of a plain drive
    QStringList Words;  // kelmctl command; OUT and IN name the files below
    const char* Output; // file the command writes, "" when none
    const char* Lost;   // what kelmctl says when the line fails
} Operations[] = {
    {"table read", false, {"backup", "OUT"}, "out.dev", NoAnswer},
    {"table write", false, {"restore", "IN"}, "", NoAnswer},
    // The handshake keeps polling the command register for its 3 s before it gives up.
    {"EEPROM command", false, {"eeprom", "save"}, "",
     "no answer from address 1 on |Device not perform / EEPROM operation!"},
    {"scope upload", false, {"scope", "--window", "50", "--timeout", "5", "OUT"}, "out.kls", NoAnswer},
    {"profile write", false, {"profiles-restore", "IN"}, "", NoAnswer},
    // The identification reads at the Power unit find the unit, then its alarms are read.
    {"link scan", true, {"--link", "--address", "2", "alarms"}, "", NoAnswer},
};
// clang-format on

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The logged requests ("address function register count answered") from line `from` on,
// once the log has stopped growing (a busy machine may log the last one late).
QStringList Logged(const QString& log, qsizetype from) {
    QStringList lines;
    for (qsizetype before = -1; before != lines.size(); QThread::msleep(300)) {
        before = lines.size();
        lines = QString::fromLatin1(Bytes(log)).split('\n', Qt::SkipEmptyParts).mid(from);
    }
    for (QString& line : lines)
        line = line.section(' ', 1);
    return lines;
}

TEST(LineFaultMatrix, EveryFaultAgainstEveryOperation) {
    QTemporaryDir dir;
    const auto file = [&](const QString& name) { return dir.filePath(name); };
    const auto tag = [](bool link) { return QString(link ? "link" : "std"); };
    QString in, out;
    const auto kelmctl = [&](bool link, const QStringList& words) {
        QStringList arguments{"--device", file(tag(link) + ".tty")};
        for (const QString& word : words)
            arguments << (word == "OUT" ? out : word == "IN" ? in : word);
        return kelm::test::Kelmctl(arguments, file("config"));
    };
    SimProcess sims[2];
    // Command bits clear after 200 ms, so a mid-transfer fault lands inside the EEPROM
    // handshake too. At real-time priority the simulator reads each try before the master's
    // purge ahead of the next one could discard it on a busy machine.
    for (bool link : {false, true})
        ASSERT_TRUE(sims[link].Start({"--log", file(tag(link) + ".log"), "--link-path",
                                      file(tag(link) + ".tty"), "--kind", tag(link), "--realtime"},
                                     false) &&
                    sims[link].Command("cmddelay * 200"));
    // The files the writing operations send, taken from the drive itself.
    const QString table = file("in.dev"), profiles = file("in.bcp");
    ASSERT_EQ(kelmctl(false, {"backup", table}).Code, 0);
    ASSERT_EQ(kelmctl(false, {"profiles-backup", profiles}).Code, 0);
    const QByteArray stale = "stale file kept while a save fails\r\n";

    for (const Operation& op : Operations) {
        SimProcess& sim = sims[op.Link];
        const QString log = file(tag(op.Link) + ".log");
        in = QString(op.Words.first()) == "restore" ? table : profiles;
        for (const Fault& fault : Faults) {
            SCOPED_TRACE(std::string(op.Name) + " / " + fault.Name);
            out = file(op.Output);
            if (QFile stored(out); *op.Output) {
                ASSERT_TRUE(stored.open(QIODevice::WriteOnly) && stored.write(stale) > 0);
            }
            const QByteArray inBefore = Bytes(in);
            const qsizetype mark = Logged(log, 0).size();
            for (const QString& command : fault.Commands)
                ASSERT_TRUE(sim.Command(command));
            const kelm::test::ProgramRun run = kelmctl(op.Link, op.Words);
            const std::string err = run.Err.toStdString();
            ASSERT_NE(run.Code, -1) << "kelmctl hung";
            EXPECT_EQ(run.Code, fault.Survives ? 0 : 1) << err;
            EXPECT_TRUE(fault.Survives || run.Err.contains(QRegularExpression(op.Lost))) << err;
            const QStringList logged = Logged(log, mark);
            if (fault.Tries) { // the failing request is the last one, sent in threes
                const qsizetype tries = logged.count(logged.value(logged.size() - 1, "none"));
                EXPECT_TRUE(tries >= 3 && tries % 3 == 0) << logged.join('|').toStdString();
            }
            EXPECT_EQ(Bytes(in), inBefore);
            if (*op.Output) { // a failed save leaves the old file, a good one is whole
                EXPECT_EQ(Bytes(out).startsWith("Kelm Industries\r\n"), fault.Survives);
                EXPECT_EQ(Bytes(out) == stale, !fault.Survives);
            }

            // Back to a good line: the next command works (a hang-up left a new terminal
            // behind the same link name).
            ASSERT_TRUE(sim.Command("faults off"));
            QThread::msleep(fault.LateMs);
            const kelm::test::ProgramRun after =
                kelmctl(op.Link, op.Link ? op.Words : QStringList{"read", "0"});
            EXPECT_EQ(after.Code, 0) << after.Err.toStdString();
        }
    }
}

} // namespace

// A reply after the time-out lands in a later request's window (plain read replies name no
// registers): at every delay a command exits 0 with the drive's values, or 1 with a true start.
TEST(LineFaultMatrix, LateRepliesNeverBecomeData) {
    QTemporaryDir dir;
    SimProcess sim;
    const QStringList device{"--device", dir.filePath("tty")};
    ASSERT_TRUE(
        sim.Start({"--link-path", dir.filePath("tty"), "--kind", "std", "--realtime"}, false) &&
        sim.Command("live * off") && sim.Command("alarm * 0x50003"));
    for (int reg = 300; reg < 380; ++reg) // every block of 40 different
        ASSERT_TRUE(sim.Command(QString("set * %1 %2").arg(reg).arg(reg * 7)));
    for (const QStringList& words : {QStringList{"read", "300", "80"}, QStringList{"alarms"}}) {
        const QString truth = kelm::test::Kelmctl(device + words, dir.filePath("config")).Out;
        ASSERT_GT(truth.count('\n'), 3);
        for (const int delayMs : {150, 250, 400, 700, 1500, 3000}) {
            ASSERT_TRUE(sim.Command(QString("delay %1").arg(delayMs)));
            const auto run = kelm::test::Kelmctl(device + words, dir.filePath("config"));
            EXPECT_TRUE(run.Code == 0 ? run.Out == truth
                                      : run.Code == 1 && truth.startsWith(run.Out))
                << delayMs << " ms: " << run.Out.toStdString();
            ASSERT_TRUE(sim.Command("delay 0"));
            QThread::msleep(delayMs + 1000); // the last replies still on their way
        }
    }
}
