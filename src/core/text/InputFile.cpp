#include "core/text/InputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {
namespace {

// Why a name could not be opened. Empty for a plain missing file, which callers report with
// their usual message; a name that is a link to nothing says so.
QString OpenFailureReason(const QByteArray& name, int error) {
    switch (error) {
    case ENOENT: {
        struct stat link {};
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return QStringLiteral("It is a symbolic link to a missing file.");
        return QString();
    }
    case ELOOP:
        return QStringLiteral("Its symbolic links form a loop.");
    case EACCES:
        return QStringLiteral("It cannot be read (permission denied).");
    case ENOTDIR:
        return QStringLiteral("A part of its path is not a folder.");
    default:
        return QString::fromLocal8Bit(std::strerror(error)) + u'.';
    }
}

} // namespace

QString FileTypeNoun(unsigned mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO (named pipe)");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("a special file");
}

QString FileTypeReason(unsigned mode) {
    return QStringLiteral("It is ") + FileTypeNoun(mode) + u'.';
}

bool OpenInputFile(QFile& file, const QString& path, QString& reason, qint64 maxBytes) {
    reason.clear();
    file.close();
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a pipe without a writer cannot hold the open; the file type is
    // then checked on the descriptor itself, not on a name that could change meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = OpenFailureReason(name, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        reason = S_ISREG(info.st_mode)
                     ? QStringLiteral("It is larger than %1 MB.").arg(maxBytes / (1024 * 1024))
                     : FileTypeReason(info.st_mode);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool CanOpenInputFile(const QString& path, QString& reason) {
    QFile file;
    return OpenInputFile(file, path, reason);
}

QString WithReason(const QString& message, const QString& reason) {
    return reason.isEmpty() ? message : message + u'\r' + reason;
}

QString WithLocation(const QString& message, const QString& fileName, int line) {
    const QString where = QStringLiteral("line %1").arg(line);
    return message + u'\r' + (fileName.isEmpty() ? where : fileName + QStringLiteral(", ") + where);
}

} // namespace kelm
