#include "sim/app/ControlFifo.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm::sim {

ControlFifo::~ControlFifo() {
    if (keepAliveFd_ >= 0) {
        ::close(keepAliveFd_);
    }
    if (readFd_ >= 0) {
        ::close(readFd_);
        QFile::remove(path_);
    }
}

bool ControlFifo::Open(const QString& path, QString& error) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) == 0) {
        if (!S_ISFIFO(info.st_mode)) {
            error = QStringLiteral("%1 exists and is not a FIFO").arg(path);
            return false;
        }
    } else if (::mkfifo(native.constData(), 0600) != 0) {
        error = QStringLiteral("cannot create the FIFO %1: %2").arg(path, std::strerror(errno));
        return false;
    }
    readFd_ = ::open(native.constData(), O_RDONLY | O_NONBLOCK);
    if (readFd_ < 0) {
        error = QStringLiteral("cannot open the FIFO %1: %2").arg(path, std::strerror(errno));
        return false;
    }
    path_ = path;
    keepAliveFd_ = ::open(native.constData(), O_WRONLY | O_NONBLOCK);
    return true;
}

QStringList ControlFifo::ReadLines() {
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(readFd_, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        pending_.append(buffer, static_cast<int>(got));
    }
    QStringList lines;
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        lines.append(QString::fromUtf8(pending_.left(end)).trimmed());
        pending_.remove(0, end + 1);
    }
    if (pending_.size() > 4096) {
        pending_.clear(); // a "line" this long is not a command
    }
    return lines;
}

} // namespace kelm::sim
