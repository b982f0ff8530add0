#include "sim/app/PtyPort.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kelm::sim {

PtyPort::~PtyPort() {
    if (!linkPath_.isEmpty() &&
        QFileInfo(linkPath_).symLinkTarget() == QFileInfo(slavePath_).absoluteFilePath()) {
        QFile::remove(linkPath_);
    }
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyPort::Open(QString& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(std::strerror(errno));
        return false;
    }
    const char* name = ::ptsname(master_);
    if (name == nullptr) {
        error = QStringLiteral("no name for the pseudo-terminal");
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = QStringLiteral("cannot open %1: %2").arg(slavePath_, std::strerror(errno));
        return false;
    }
    // Raw: no echo of what the client sends, no line editing, no character mapping.
    termios settings{};
    if (::tcgetattr(slave_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(slave_, TCSANOW, &settings);
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

bool PtyPort::Reopen(QString& error) {
    ::close(slave_);
    ::close(master_);
    slave_ = master_ = -1;
    if (!Open(error)) {
        return false;
    }
    return linkPath_.isEmpty() || PlaceLink(linkPath_, error);
}

bool PtyPort::PlaceLink(const QString& path, QString& error) {
    const QFileInfo existing(path);
    if (existing.isSymLink()) {
        QFile::remove(path);
    } else if (existing.exists()) {
        error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (!QFile::link(slavePath_, path)) {
        error = QStringLiteral("cannot create the link %1").arg(path);
        return false;
    }
    linkPath_ = path;
    return true;
}

} // namespace kelm::sim
