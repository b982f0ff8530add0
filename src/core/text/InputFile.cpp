#include "core/text/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {

bool OpenInputFile(QFile& file, const QString& path, QString& reason, qint64 maxBytes) {
    reason.clear();
    file.close();
    // Non-blocking, so that a pipe without a writer cannot hold the open; the file type is
    // then checked on the descriptor itself, not on a name that could change meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        if (S_ISDIR(info.st_mode))
            reason = QStringLiteral("It is a folder.");
        else if (!S_ISREG(info.st_mode))
            reason = QStringLiteral("It is not a regular file.");
        else
            reason = QStringLiteral("It is larger than %1 MB.").arg(maxBytes / (1024 * 1024));
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

} // namespace kelm
