// The desktop program's main window, offscreen, on line to kelmsim for KELM_SOAK_SECONDS
// (default 60): status poll and diagnostic view in turn, random line faults and
// recoveries. At the end the request and reply counters must agree with the simulator's
// log over a clean stretch, every fault must have been recovered from, memory may have
// grown by at most 5 % and no thread may be left over. Run by scripts/soak.sh.
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::WaitFor;

qint64 StatusField(const char* key) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    return -1;
}

qsizetype AnsweredRequests(const QString& log) {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count(" yes\n") : -1;
}

TEST(Soak, FaultsAndRecoveriesKeepTheProgramSound) {
    const int seconds = qEnvironmentVariableIntValue("KELM_SOAK_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("KELM_SOAK_SECONDS")
                            : 60;
    QTemporaryDir dir;
    const QString tty = dir.filePath("tty"), control = dir.filePath("control");
    QProcess sim;
    sim.start(KELMSIM_PATH, {"--bin", KELM_RUNTIME_DIR "/Bin", "--link-path", tty, "--control",
                             control, "--log", dir.filePath("sim.log")});
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(tty) && QFile::exists(control); }));
    const auto send = [&](const QString& line) {
        QFile fifo(control);
        return fifo.open(QIODevice::WriteOnly) && fifo.write((line + '\n').toLatin1()) > 0;
    };
    qputenv("KELM_COM1", tty.toLocal8Bit());
    QDir(dir.path()).mkpath("install/Bin");
    const QDir shipped(KELM_RUNTIME_DIR "/Bin");
    for (const QString& name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), dir.filePath("install/Bin/" + name));

    RecordingMessages messages;
    ScriptedDialogs dialogs;
    dialogs.SetDefaultDialogHandler([](QDialog& dialog) {
        if (auto* select = qobject_cast<TFSelectDriver*>(&dialog)) {
            select->EId->setText("1");
            select->BStdOk->click();
        } else if (qobject_cast<TFConnectD*>(&dialog)) {
            ScriptedDialogs::WaitClosed(dialog, 60000);
        } else {
            dialog.reject();
        }
    });
    const qint64 threadsBefore = StatusField("Threads:");
    PrincipaleOptions options;
    options.ExecutableFolder = dir.filePath("install/");
    options.SettingsFile = dir.filePath("settings.ini");
    options.Arguments = {"kelmdrive"};
    auto window = std::make_unique<TFPrincipale>(ProgramFlows(), options);
    window->show();
    const auto online = [&] { return window->Driver().Online(); };
    ASSERT_TRUE(WaitFor(online, 60000)) << messages.Texts().join('|').toStdString();
    window->ViewInfoClick();

    // Faults as the soak injects them; each lasts one to three seconds.
    const QStringList faults = {"silent * on", "badcrc on", "wrongaddr on", "truncate on",
                                "delay 1000",  "drop 3",    "trailing on",  "wrongfunc on",
                                "exception 4", "hangup"};
    QRandomGenerator random(17);
    QElapsedTimer clock;
    clock.start();
    qint64 rssStart = 0, threadsStart = 0;
    int injected = 0, recovered = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        // Status poll and diagnostic view take turns.
        window->Run(injected % 2 == 0 ? Command::Diagnostic : Command::DiagnosticClose);
        WaitFor([] { return false; }, 2000);
        if (rssStart == 0 && injected == 2) { // once both views and a reconnect have run
            rssStart = StatusField("VmRSS:");
            threadsStart = StatusField("Threads:");
        }
        const QString fault = faults[random.bounded(int(faults.size()))];
        ASSERT_TRUE(send(fault));
        ++injected;
        WaitFor([] { return false; }, 1000 + random.bounded(2000));
        ASSERT_TRUE(send("faults off"));
        WaitFor([] { return false; }, 1500);
        if (!online() && DiagnosticWindow() == nullptr)
            window->Run(
                Command::SelectDrive); // the user reconnects; the diagnostic view does itself
        recovered += WaitFor(online, 60000) ? 1 : 0;
        EXPECT_EQ(recovered, injected) << "no recovery after " << fault.toStdString();
    }

    // A clean stretch of status polling: every request answered, counted alike on both ends.
    window->Run(Command::DiagnosticClose);
    ASSERT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
    WaitFor([] { return false; }, 1000);
    ModbusMaster& master = window->Master();
    TDriver& driver = window->Driver();
    const char mode = driver.ModeLetter();
    driver.WaitIdle();
    const std::uint32_t requests = master.RequestCount, replies = master.ReplyCount;
    const std::uint32_t failures = master.FailureCount;
    const qsizetype answered = AnsweredRequests(dir.filePath("sim.log"));
    driver.SetMode(mode);
    WaitFor([] { return false; }, 5000);
    driver.WaitIdle();
    const std::uint32_t newRequests = master.RequestCount - requests;
    const std::uint32_t newReplies = master.ReplyCount - replies;
    // Every reply the master took was one the drive sent; a busy machine may let a rare
    // reply come too late, which the master then tries again.
    const qsizetype newAnswered = AnsweredRequests(dir.filePath("sim.log")) - answered;
    EXPECT_GT(newRequests, 5u);
    EXPECT_LE(qsizetype(newReplies), newAnswered);
    EXPECT_LE(newAnswered, qsizetype(newRequests));
    EXPECT_EQ(master.FailureCount - failures, newRequests - newReplies);
    EXPECT_LE(newRequests - newReplies, newRequests / 20 + 1) << "too many lost replies";
    EXPECT_EQ(master.RequestCount, master.ReplyCount + master.FailureCount);
    driver.SetMode(mode);

    const qint64 rssEnd = StatusField("VmRSS:");
    const qint64 threadsEnd = StatusField("Threads:");
    window->close();
    window.reset();
    QCoreApplication::processEvents();
    std::printf("soak: %d s, %d faults, %d recovered; clean stretch: %u requests, %u replies, "
                "%lld answered by the drive; RSS %lld -> %lld kB; threads %lld -> %lld "
                "(%lld before the window, %lld after it closed)\n",
                seconds, injected, recovered, newRequests, newReplies,
                static_cast<long long>(newAnswered), rssStart, rssEnd, threadsStart, threadsEnd,
                threadsBefore, StatusField("Threads:"));
    ASSERT_GT(rssStart, 0) << "run too short to take the starting size";
    EXPECT_LE(rssEnd, rssStart + rssStart / 20) << "memory grew by more than 5 %";
    EXPECT_EQ(threadsEnd, threadsStart);
    sim.terminate();
    sim.waitForFinished(3000);
    qunsetenv("KELM_COM1");
}

} // namespace
} // namespace kelm
