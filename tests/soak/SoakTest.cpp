// The desktop program's main window, offscreen, on line to kelmsim for KELM_SOAK_SECONDS
// (default 60): status poll and diagnostic view in turn, random line faults and
// recoveries. First the slow line (replies after 120 ms, inside the time-out) and the lossy
// one (every third reply lost), in the status panel and in the diagnostic view, then an
// oscilloscope capture on the slow line: the user-interface thread may never stall for
// more than 100 ms (a 10 ms timer's worst lateness). At the end the request and reply
// counters must agree with the simulator's log over a clean stretch, every fault must have
// been recovered from, memory may have grown by at most 5 % after the warm-up and no thread
// may be left over.
#include "core/link/ModbusMaster.h"
#include "e2e/app/ProgramOnSim.h"
#include "soak/StallMeter.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QToolButton>
#include <cstdio>
#include <malloc.h>

namespace kelm {
namespace {

using test::StallMeter;
using test::WaitFor;

void Pause(int ms) {
    WaitFor([] { return false; }, ms);
}

// A field of /proc/self/status ("VmRSS:", "Threads:").
qint64 StatusField(const char* key) {
    QFile status("/proc/self/status");
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const auto match = QRegularExpression(QString(key) + "\\s*(\\d+)").match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// Requests the simulator logged as answered from byte `from` of its log on.
qsizetype AnsweredSince(const QString& log, qint64 from) {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) && file.seek(from) ? file.readAll().count(" yes\n") : -1;
}

// The size of the simulator's log once it has stopped growing.
qint64 SettledSize(const QString& log) {
    qint64 last = -1;
    for (qint64 now = QFileInfo(log).size(); now != last; Pause(500), now = QFileInfo(log).size())
        last = now;
    return last;
}

// Resident size once the allocator has handed its free pages back: what the program holds,
// without the slack a long run's churn leaves in the heap.
qint64 HeldRss() {
    malloc_trim(0);
    return StatusField("VmRSS:");
}

using Soak = test::ProgramOnSim;

TEST_F(Soak, FaultsAndRecoveriesKeepTheProgramSound) {
    const int asked = qEnvironmentVariableIntValue("KELM_SOAK_SECONDS");
    const int seconds = asked > 0 ? asked : 60;
    // Library pages, heap arenas, style and font caches fill during the first minutes; the
    // size is compared from then on.
    const qint64 warmUpMs = std::min(seconds / 6, 600) * 1000LL;
    onlyConnectionWaited = true;
    ASSERT_NO_FATAL_FAILURE(Open("std", 0, DeviceKind::Std));
    const QString simLog = Log();
    window->ViewInfoClick();
    // Back on line (the user reconnects when needed, the diagnostic view does it itself)
    // with three requests answered since `from` in the simulator's log.
    const auto backSince = [&](qint64 from) {
        return WaitFor(
            [&] {
                if (!window->Driver().Online() && DiagnosticWindow() == nullptr)
                    window->Run(Command::SelectDrive);
                return window->Driver().Online() && AnsweredSince(simLog, from) >= 3;
            },
            60000);
    };

    // The slow and the lossy line in each mode, a few passes of the diagnostic view long.
    const int bandMs = std::max(6000, seconds * 1000 / 10);
    qint64 worstBandStall = 0;
    for (const bool diagnostic : {false, true}) {
        for (const char* band : {"delay 120", "drop 3"}) {
            window->Run(diagnostic ? Command::Diagnostic : Command::DiagnosticClose);
            ASSERT_TRUE(WaitFor([&] { return (DiagnosticWindow() != nullptr) == diagnostic; }));
            Pause(500);
            ASSERT_TRUE(sim.Command(band));
            StallMeter meter;
            meter.Start();
            Pause(bandMs);
            meter.Stop();
            ASSERT_TRUE(sim.Command("faults off"));
            const char* mode = diagnostic ? "diagnostic view" : "status panel";
            std::printf("soak: %s, %s: longest stall of the user-interface thread %lld ms\n", mode,
                        band, static_cast<long long>(meter.WorstMs()));
            EXPECT_LE(meter.WorstMs(), 100) << mode << ", " << band;
            worstBandStall = std::max(worstBandStall, meter.WorstMs());
            ASSERT_TRUE(backSince(QFileInfo(simLog).size())) << "no recovery after " << band;
        }
    }
    // Writes the user asks for on the slow line: an oscilloscope capture arms, uploads and
    // stops the recorder.
    window->Run(Command::DiagnosticClose);
    window->Run(Command::Oscilloscope);
    TFOscillo* scope = OscilloWindow();
    ASSERT_NE(scope, nullptr);
    Pause(500);
    ASSERT_TRUE(sim.Command("delay 120"));
    scope->EdgeButton(3)->click(); // no trigger: the record starts at once
    StallMeter captureMeter;
    captureMeter.Start();
    scope->StartButton()->click();
    EXPECT_TRUE(WaitFor([scope] { return !scope->Session().Running(); }, 120000));
    captureMeter.Stop();
    ASSERT_TRUE(sim.Command("faults off"));
    scope->close();
    std::printf("soak: oscilloscope capture, delay 120: longest stall %lld ms\n",
                static_cast<long long>(captureMeter.WorstMs()));
    EXPECT_LE(captureMeter.WorstMs(), 100) << "oscilloscope capture";
    worstBandStall = std::max(worstBandStall, captureMeter.WorstMs());

    // Faults as the soak injects them; each lasts one to three seconds.
    const QStringList faults = {"silent * on",  "badcrc on",   "wrongaddr on", "truncate on",
                                "delay 1000",   "delay 120",   "drop 3",       "trailing on",
                                "wrongfunc on", "exception 4", "hangup"};
    StallMeter faultMeter; // all faults and recoveries, reported only
    faultMeter.Start();
    QRandomGenerator random(17);
    QElapsedTimer clock;
    clock.start();
    qint64 rssStart = 0, threadsStart = 0;
    int injected = 0, recovered = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        if (rssStart == 0 && clock.elapsed() >= warmUpMs && injected >= 2) {
            rssStart = HeldRss();
            threadsStart = StatusField("Threads:");
        }
        window->Run(injected % 2 == 0 ? Command::Diagnostic : Command::DiagnosticClose);
        Pause(2000);
        const QString fault = faults[random.bounded(int(faults.size()))];
        ASSERT_TRUE(sim.Command(fault));
        ++injected;
        Pause(1000 + random.bounded(2000));
        ASSERT_TRUE(sim.Command("faults off"));
        // Recovered once on line with three requests answered since the line came back (a
        // poll failing late still goes off line first); the user reconnects when needed,
        // the diagnostic view does it itself.
        recovered += backSince(QFileInfo(simLog).size()) ? 1 : 0;
        EXPECT_EQ(recovered, injected) << "no recovery after " << fault.toStdString();
        messages.Clear(); // the recorder's own list is not the program's memory
    }

    faultMeter.Stop();

    // A clean stretch of status polling. With the driver idle no transfer is half-counted
    // and the simulator's log is complete, so both ends must agree exactly.
    window->Run(Command::DiagnosticClose);
    ASSERT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
    ModbusMaster& master = window->Master();
    TDriver& driver = window->Driver();
    const WorkerMode mode = driver.Mode();
    driver.WaitIdle();
    const ModbusMaster::Counts before = master.Counters();
    const qint64 answered = SettledSize(simLog);
    driver.SetMode(mode);
    Pause(5000);
    driver.WaitIdle();
    const ModbusMaster::Counts after = master.Counters();
    const std::uint32_t newRequests = after.Requests - before.Requests,
                        newReplies = after.Replies - before.Replies;
    // A reply may come too late on a busy machine: answered by the drive, tried again by
    // the master. Every reply taken was one the drive sent, and few may be lost.
    SettledSize(simLog);
    const qsizetype newAnswered = AnsweredSince(simLog, answered);
    EXPECT_GT(newRequests, 5u);
    EXPECT_LE(qsizetype(newReplies), newAnswered);
    EXPECT_LE(newAnswered, qsizetype(newRequests));
    EXPECT_EQ(after.Failures - before.Failures, newRequests - newReplies);
    EXPECT_LE(newRequests - newReplies, newRequests / 20 + 1) << "too many lost replies";
    EXPECT_EQ(after.Requests, after.Replies + after.Failures);
    driver.SetMode(mode);

    const qint64 rssEnd = HeldRss(), threadsEnd = StatusField("Threads:");
    std::printf("soak: %d s, %d faults, %d recovered; clean stretch: %u requests, %u replies, "
                "%lld answered by the drive; RSS held after %lld s warm-up %lld -> %lld kB; "
                "threads %lld -> %lld; longest stall %lld ms on the slow and lossy lines, "
                "%lld ms through the faults\n",
                seconds, injected, recovered, newRequests, newReplies,
                static_cast<long long>(newAnswered), warmUpMs / 1000, rssStart, rssEnd,
                threadsStart, threadsEnd, static_cast<long long>(worstBandStall),
                static_cast<long long>(faultMeter.WorstMs()));
    ASSERT_GT(rssStart, 0) << "run too short to take the starting size";
    EXPECT_LE(rssEnd, rssStart + rssStart / 20) << "memory grew by more than 5 %";
    EXPECT_EQ(threadsEnd, threadsStart);
}

} // namespace
} // namespace kelm
