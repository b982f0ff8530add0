#include "SimProcess.h"

#include <QFile>
#include <QThread>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kelm::sim::test {

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool SimProcess::Start(QStringList arguments, bool fixtureBin) {
    if (fixtureBin) {
        arguments << QStringLiteral("--bin") << QStringLiteral(SIM_FIXTURE_BIN);
    }
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(KELMSIM_PATH), arguments);
    if (!process_.waitForStarted(5000)) {
        return false;
    }
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i) {
        if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning) {
            return false;
        }
    }
    if (!process_.canReadLine()) {
        return false;
    }
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return !path_.isEmpty();
}

int SimProcess::Terminate() {
    process_.terminate();
    if (!process_.waitForFinished(5000) || process_.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process_.exitCode();
}

RawPort::RawPort(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        return;
    }
    termios settings{};
    ::tcgetattr(fd_, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd_, TCSANOW, &settings);
}

RawPort::~RawPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::vector<std::uint8_t> RawPort::Exchange(const std::vector<std::uint8_t>& request,
                                            std::size_t expected, int quietMs) {
    std::vector<std::uint8_t> reply;
    ::tcflush(fd_, TCIOFLUSH);
    if (::write(fd_, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return reply;
    }
    while (reply.size() < expected) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0) {
            break;
        }
        std::uint8_t buffer[256];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        reply.insert(reply.end(), buffer, buffer + got);
    }
    return reply;
}

bool SendControl(const QString& fifoPath, const QString& line) {
    const int fd = ::open(QFile::encodeName(fifoPath).constData(), O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const QByteArray text = line.toUtf8() + '\n';
    const bool ok = ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    ::close(fd);
    QThread::msleep(150);
    return ok;
}

} // namespace kelm::sim::test
