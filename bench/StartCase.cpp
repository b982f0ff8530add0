#include "bench/StartCase.h"

#include "bench/SimLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace kelm::bench {
namespace {

struct StartRun {
    double StartMs = 0;
    double PeakMb = 0;
    double RefreshMs = 0;
    bool Ok = false;
    QString Error;
};

// One start of the probe: the time until it reports the main window shown (measured here,
// from before the process is started), then its peak memory once every window is open.
StartRun RunProbe(const QString& probe, const QString& ttyPath) {
    StartRun run;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KELM_COM1"), ttyPath);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(probe, {});
    bool shown = false;
    while (process.waitForReadyRead(60000) || process.canReadLine()) {
        while (process.canReadLine()) {
            const QString line = QString::fromLatin1(process.readLine()).trimmed();
            if (line == QLatin1String("shown") && !shown) {
                run.StartMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
                shown = true;
            } else if (line.startsWith(QLatin1String("refresh-us "))) {
                run.RefreshMs = line.section(QLatin1Char(' '), 1).toDouble() / 1000.0;
            } else if (line.startsWith(QLatin1String("peak-rss-kb "))) {
                run.PeakMb = line.section(QLatin1Char(' '), 1).toDouble() / 1024.0;
                run.Ok = shown;
            } else if (line.startsWith(QLatin1String("error "))) {
                run.Error = line.mid(6);
            }
        }
        if (run.Ok || !run.Error.isEmpty())
            break;
    }
    if (!process.waitForFinished(10000))
        process.kill();
    if (!run.Ok && run.Error.isEmpty())
        run.Error = QStringLiteral("the probe ended early: ") +
                    QString::fromLocal8Bit(process.readAllStandardError()).left(200);
    return run;
}

} // namespace

std::vector<Row> RunStartCases(int runs) {
    Row start;
    start.Case = QStringLiteral("start to main window shown (offscreen, splash excluded)");
    Row memory;
    memory.Case = QStringLiteral("peak RSS, main page + status panel + diagnostic + comparison");
    memory.Unit = QStringLiteral("MB");
    Row refresh;
    refresh.Case = QStringLiteral("status poll std, main window refresh (UI time per poll)");
    const QString probe =
        QCoreApplication::applicationDirPath() + QStringLiteral("/kelmbench_start");
    if (!QFileInfo(probe).isExecutable()) {
        start.Note = memory.Note = refresh.Note = QStringLiteral("not built");
        return {start, memory, refresh};
    }
    SimLine sim;
    if (!sim.Start(QStringLiteral("std"), 19200, TurnaroundUs(19200))) {
        start.Note = memory.Note = refresh.Note = QStringLiteral("kelmsim did not start");
        return {start, memory, refresh};
    }
    std::vector<double> times;
    std::vector<double> peaks;
    std::vector<double> refreshes;
    QString error;
    for (int i = 0; i < runs; ++i) {
        const StartRun run = RunProbe(probe, sim.Path());
        if (!run.Ok) {
            error = run.Error;
            break;
        }
        times.push_back(run.StartMs);
        peaks.push_back(run.PeakMb);
        refreshes.push_back(run.RefreshMs);
    }
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench: start probe: %s\n", qPrintable(error));
        start.Note = memory.Note = refresh.Note = QStringLiteral("failed");
        return {start, memory, refresh};
    }
    start.Measured = Summarize(times);
    start.Limit = 1000;
    start.LimitKind = QStringLiteral("goal");
    memory.Measured = Summarize(peaks);
    memory.Limit = 120;
    memory.LimitKind = QStringLiteral("goal");
    refresh.Measured = Summarize(refreshes);
    refresh.Limit = 5;
    refresh.LimitKind = QStringLiteral("goal");
    return {start, memory, refresh};
}

} // namespace kelm::bench
