#include "bench/SimLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace kelm::bench {

std::uint32_t TurnaroundUs(std::uint32_t baud) {
    if (baud > 19200)
        return 1750;
    return static_cast<std::uint32_t>(38'500'000ULL / baud); // 3.5 characters of 11 bits
}

SimLine::~SimLine() {
    Stop();
}

bool SimLine::Start(const QString& kind, std::uint32_t baud, std::uint32_t turnaroundUs,
                    const QStringList& extra) {
    const QString folder = QCoreApplication::applicationDirPath();
    QStringList arguments{QStringLiteral("--bin"),        folder + QStringLiteral("/Bin"),
                          QStringLiteral("--kind"),       kind,
                          QStringLiteral("--baud"),       QString::number(baud),
                          QStringLiteral("--turnaround"), QString::number(turnaroundUs),
                          QStringLiteral("--realtime")};
    if (kind == QLatin1String("link"))
        arguments << QStringLiteral("--units") << QStringLiteral("1");
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(folder + QStringLiteral("/kelmsim"), arguments + extra);
    if (!process_.waitForStarted(5000))
        return false;
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i) {
        if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning)
            return false;
    }
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return !path_.isEmpty();
}

void SimLine::Stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(3000);
    // The simulator's own pacing delay (how late the machine woke it), for the note.
    for (const QString& line : Errors().split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String(" late by ")))
            std::fprintf(stderr, "bench: %s\n", qPrintable(line));
    }
}

QString SimLine::Errors() {
    return QString::fromLocal8Bit(process_.readAllStandardError());
}

} // namespace kelm::bench
