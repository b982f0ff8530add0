#include "bench/StallCase.h"

#include "bench/SimLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <map>

namespace kelm::bench {
namespace {

constexpr std::uint32_t Baud = 19200;
constexpr int ReplyDelayMs = 120;

struct Mode {
    const char* Key;
    const char* Case;
};
constexpr Mode Modes[] = {
    {"panel", "UI stall, status panel, replies after 120 ms (longest)"},
    {"diagnostic", "UI stall, diagnostic view, replies after 120 ms (longest)"},
    {"capture", "UI stall, oscilloscope capture, replies after 120 ms (longest)"},
};

// One run of the probe: the stall of each mode it printed, or the error.
std::map<QString, double> RunProbe(const QString& probe, const QString& ttyPath, int seconds,
                                   QString& error) {
    std::map<QString, double> stalls;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KELM_COM1"), ttyPath);
    process.setProcessEnvironment(environment);
    process.start(probe, {QString::number(seconds)});
    while (process.waitForReadyRead(300000) || process.canReadLine()) {
        while (process.canReadLine()) {
            const QStringList words =
                QString::fromLatin1(process.readLine()).trimmed().split(QLatin1Char(' '));
            if (words.size() == 3 && words[0] == QLatin1String("stall"))
                stalls[words[1]] = words[2].toDouble();
            else if (words.value(0) == QLatin1String("error"))
                error = words.mid(1).join(QLatin1Char(' '));
        }
        if (stalls.size() == std::size(Modes) || !error.isEmpty())
            break;
    }
    if (!process.waitForFinished(30000))
        process.kill();
    if (stalls.size() != std::size(Modes) && error.isEmpty())
        error = QStringLiteral("the probe ended early: ") +
                QString::fromLocal8Bit(process.readAllStandardError()).right(200);
    return stalls;
}

} // namespace

std::vector<Row> RunStallCases(int runs, int seconds) {
    std::vector<Row> rows;
    for (const Mode& mode : Modes) {
        Row row;
        row.Case = QString::fromLatin1(mode.Case);
        row.Baud = Baud;
        row.Limit = 100;
        row.LimitKind = QStringLiteral("goal");
        rows.push_back(row);
    }
    const auto failAll = [&rows](const QString& note) {
        for (Row& row : rows)
            row.Note = note;
        return rows;
    };
    const QString probe =
        QCoreApplication::applicationDirPath() + QStringLiteral("/kelmbench_stall");
    if (!QFileInfo(probe).isExecutable())
        return failAll(QStringLiteral("not built"));
    SimLine sim;
    if (!sim.Start(QStringLiteral("std"), Baud, TurnaroundUs(Baud),
                   {QStringLiteral("--exec"), QStringLiteral("delay %1").arg(ReplyDelayMs)}))
        return failAll(QStringLiteral("kelmsim did not start"));
    std::map<QString, std::vector<double>> samples;
    for (int i = 0; i < runs; ++i) {
        QString error;
        for (const auto& [key, stall] : RunProbe(probe, sim.Path(), seconds, error))
            samples[key].push_back(stall);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "bench: stall probe: %s\n", qPrintable(error));
            return failAll(QStringLiteral("failed"));
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].Measured = Summarize(samples[QString::fromLatin1(Modes[i].Key)]);
    return rows;
}

} // namespace kelm::bench
