// Every line fault against every drive operation, end to end: kelmctl (and the drive model
// inside it) on a pseudo-terminal to kelmsim. Per cell: no hang, the right exit and message,
// three tries of the failing request, files never half-written, and the line usable again
// once the fault is gone.
#include "sim/kelmsim/SimProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

using kelm::sim::test::SimProcess;

namespace {

struct Fault {
    const char* Name;
    QStringList Commands; // to the simulator before the run ("after n ..." = mid-transfer)
    bool Survives;        // the operation still succeeds
    bool Tries;           // the failing request reaches the drive three times
    int LateMs = 0;       // replies still on their way after the run
};

// A reply starts within 150 ms or counts as lost; a lost one arrives after the third try.
const Fault Faults[] = {
    {"silence", {"silent * on"}, false, true},
    {"silence mid-transfer", {"after 2 silent * on"}, false, true},
    {"bad CRC", {"badcrc on"}, false, true},
    {"wrong address", {"wrongaddr on"}, false, true},
    {"wrong function", {"wrongfunc on"}, false, true},
    {"wrong byte count", {"wrongcount on"}, false, true},
    {"truncated reply", {"truncate on"}, false, true},
    {"trailing bytes", {"trailing on"}, true, false},
    {"delay inside the time-out", {"after 2 delay 90", "after 6 delay 0"}, true, false},
    {"delay outside the time-out", {"delay 1000"}, false, true, 1000},
    {"exception reply", {"exception 4"}, false, true},
    {"hang-up mid-transfer", {"after 2 hangup"}, false, false},
};

struct Operation {
    const char* Name;
    bool Link;          // on the Tarn link (Drive unit 2) instead of a plain drive
    QStringList Words;  // kelmctl command; OUT and IN name the files below
    const char* Output; // file the command writes, "" when none
    const char* Lost;   // what kelmctl says when the line fails
};

const char* const NoAnswer = "no answer from address [12] on ";

const Operation Operations[] = {
    {"table read", false, {"backup", "OUT"}, "out.dev", NoAnswer},
    {"table write", false, {"restore", "IN"}, "", NoAnswer},
    // The handshake keeps polling the command register for its 3 s before it gives up.
    {"EEPROM command",
     false,
     {"eeprom", "save"},
     "",
     "no answer from address 1 on |Device not perform\nEEPROM operation!"},
    {"scope upload",
     false,
     {"scope", "--window", "50", "--timeout", "5", "OUT"},
     "out.kls",
     NoAnswer},
    {"profile write", false, {"profiles-restore", "IN"}, "", NoAnswer},
    // The identification reads at the Power unit find the unit, then its alarms are read.
    {"link scan", true, {"--link", "--address", "2", "alarms"}, "", NoAnswer},
};

class LineFaultMatrix : public ::testing::Test {
protected:
    struct Run {
        int Code = -1;
        QString Err;
        qint64 Ms = 0;
    };

    QString File(const QString& name) const { return dir.filePath(name); }

    bool StartSim(SimProcess& sim, bool link) {
        const QString tag = link ? "link" : "std";
        QStringList arguments{"--log", File(tag + ".log"), "--link-path", File(tag + ".tty")};
        if (link)
            arguments << "--kind"
                      << "link";
        // Command bits clear after 200 ms, so a mid-transfer fault lands inside the
        // EEPROM handshake too.
        return sim.Start(arguments, false) && sim.Command("cmddelay * 200");
    }

    Run Kelmctl(bool link, const QStringList& words) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", File("config"));
        process.setProcessEnvironment(environment);
        QStringList arguments{"--device", File(link ? "link.tty" : "std.tty")};
        for (const QString& word : words)
            arguments << (word == "OUT" ? out : word == "IN" ? in : word);
        QElapsedTimer timer;
        timer.start();
        process.start(KELMCTL_PATH, arguments);
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.Ms = timer.elapsed();
        run.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.Err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // The logged requests ("address function register count answered") from line `from` on.
    QStringList Logged(bool link, qsizetype from) const {
        QFile log(File(link ? "link.log" : "std.log"));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLatin1(log.readAll()).split('\n', Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.section(' ', 1);
        return lines.mid(from);
    }

    static QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    QString out;
    QString in;
};

TEST_F(LineFaultMatrix, EveryFaultAgainstEveryOperation) {
    ASSERT_TRUE(dir.isValid());
    SimProcess plain;
    SimProcess link;
    ASSERT_TRUE(StartSim(plain, false));
    ASSERT_TRUE(StartSim(link, true));
    // The files the writing operations send, taken from the drive itself.
    const QString table = File("in.dev");
    const QString profiles = File("in.bcp");
    ASSERT_EQ(Kelmctl(false, {"backup", table}).Code, 0);
    ASSERT_EQ(Kelmctl(false, {"profiles-backup", profiles}).Code, 0);
    const QByteArray stale = "stale file kept while a save fails\r\n";

    for (const Operation& op : Operations) {
        SimProcess& sim = op.Link ? link : plain;
        in = QString(op.Words.first()) == "restore" ? table : profiles;
        for (const Fault& fault : Faults) {
            SCOPED_TRACE(std::string(op.Name) + " / " + fault.Name);
            out = File(op.Output);
            if (*op.Output) {
                QFile stored(out);
                ASSERT_TRUE(stored.open(QIODevice::WriteOnly) && stored.write(stale) > 0);
            }
            const QByteArray inBefore = Bytes(in);
            const qsizetype mark = Logged(op.Link, 0).size();
            for (const QString& command : fault.Commands)
                ASSERT_TRUE(sim.Command(command));
            const Run run = Kelmctl(op.Link, op.Words);

            ASSERT_NE(run.Code, -1) << "kelmctl hung";
            EXPECT_EQ(run.Code, fault.Survives ? 0 : 1) << run.Err.toStdString();
            if (!fault.Survives) {
                EXPECT_TRUE(run.Err.contains(QRegularExpression(op.Lost))) << run.Err.toStdString();
            }
            // A busy machine may let the simulator log the last request after kelmctl ended.
            QStringList logged = Logged(op.Link, mark);
            for (qsizetype before = -1; before != logged.size();) {
                before = logged.size();
                QThread::msleep(500);
                logged = Logged(op.Link, mark);
            }
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
            const Run again = Kelmctl(op.Link, op.Link ? op.Words : QStringList{"read", "0"});
            EXPECT_EQ(again.Code, 0) << again.Err.toStdString();
        }
    }
}

} // namespace
