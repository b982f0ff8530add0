#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <unistd.h>

namespace kelm::sim::test {

// kelmsim started as a child process with a control FIFO; the first line of its output is
// the terminal path, and every control command is acknowledged by one line on stderr.
class SimProcess {
public:
    // A stop signal ends the simulator as Ctrl+C would (its exit also writes coverage
    // counters); one that does not stop in time is killed.
    ~SimProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) {
                process_.kill();
                process_.waitForFinished(3000);
            }
        }
    }

    // Starts kelmsim (with the fixture configuration when fixtureBin) and waits for the
    // path line; a control FIFO of its own is added.
    bool Start(QStringList arguments, bool fixtureBin = true) {
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
    const QString& Path() const { return path_; }
    const QString& ControlPath() const { return control_; }
    QProcess& Process() { return process_; }

    // Sends one control line; true once acknowledged and not refused.
    bool Command(const QString& line) {
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
        return written && lines.size() > before &&
               !lines.last().contains(QStringLiteral("refused"));
    }

    // Everything the simulator wrote to stderr so far.
    QString Errors() {
        errors_ += QString::fromLocal8Bit(process_.readAllStandardError());
        return errors_;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString path_, control_, errors_;
};

} // namespace kelm::sim::test
