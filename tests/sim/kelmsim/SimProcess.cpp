#include "SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <fcntl.h>
#include <unistd.h>

namespace kelm::sim::test {

SimProcess::~SimProcess() {
    // A stop signal ends the simulator as Ctrl+C would (its exit also writes coverage
    // counters); one that does not stop in time is killed.
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}

bool SimProcess::Start(QStringList arguments, bool fixtureBin) {
    if (fixtureBin)
        arguments << QStringLiteral("--bin") << QStringLiteral(SIM_FIXTURE_BIN);
    control_ = dir_.filePath(QStringLiteral("control"));
    arguments << QStringLiteral("--control") << control_;
    process_.start(QStringLiteral(KELMSIM_PATH), arguments);
    if (!process_.waitForStarted(5000))
        return false;
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i)
        if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning)
            return false;
    if (!process_.canReadLine())
        return false;
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return !path_.isEmpty();
}

QString SimProcess::Errors() {
    errors_ += QString::fromLocal8Bit(process_.readAllStandardError());
    return errors_;
}

bool SimProcess::Command(const QString& line) {
    const qsizetype before = Errors().count(QLatin1Char('\n'));
    QElapsedTimer timer;
    timer.start();
    int fd = -1;
    while (fd < 0 && timer.elapsed() < 5000 && process_.state() == QProcess::Running) {
        fd = ::open(QFile::encodeName(control_).constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            QThread::msleep(10);
    }
    if (fd < 0)
        return false;
    const QByteArray text = line.toUtf8() + '\n';
    const bool written = ::write(fd, text.constData(), std::size_t(text.size())) == text.size();
    ::close(fd);
    while (written && Errors().count(QLatin1Char('\n')) == before && timer.elapsed() < 5000)
        process_.waitForReadyRead(50);
    const QStringList lines = errors_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return written && lines.size() > before && !lines.last().contains(QStringLiteral("refused"));
}

} // namespace kelm::sim::test
