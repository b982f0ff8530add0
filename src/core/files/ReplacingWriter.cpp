#include "core/files/ReplacingWriter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {
namespace {

QString ErrnoReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error)) + u'.';
}

// Creates a new file with an unused name beside `target`, with the permissions a new file
// gets (the kernel applies the umask). -1 with errno set when the folder takes no new file.
int CreateBeside(const QString& target, QByteArray& name) {
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + u'.' +
                              QString::number(QRandomGenerator::global()->generate(), 36));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Runs the body into memory (every file the program writes is small), then writes it all
// to the descriptor and makes sure it reached the disk, keeping the system's reason for a
// failure (a full disk, a size limit).
bool WriteBody(int fd, const std::function<void(QIODevice&)>& body, QString& reason) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    body(buffer);
    buffer.close();
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = ErrnoReason(written < 0 ? errno : EIO);
            return false;
        }
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0) {
        reason = ErrnoReason(errno);
        return false;
    }
    return true;
}

// The fallback for a folder that takes no new files: the existing file, truncated and
// written where it is.
ReplaceOutcome WriteInPlace(const SaveTarget& target, const std::function<void(QIODevice&)>& body) {
    const int fd = ::open(QFile::encodeName(target.Path).constData(),
                          O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return {ReplaceResult::OpenFailed, ErrnoReason(error)};
    }
    QString reason;
    const bool written = WriteBody(fd, body, reason);
    ::close(fd);
    return {written ? ReplaceResult::Written : ReplaceResult::WriteFailed, reason};
}

} // namespace

ReplaceOutcome WriteReplacing(const QString& path, const std::function<void(QIODevice&)>& body,
                              ReadOnlyFiles readOnly) {
    const SaveTarget target = InspectSaveTarget(path, readOnly);
    if (!target.Accepted())
        return {ReplaceResult::Refused, target.Reason};
    QByteArray temporary;
    const int fd = CreateBeside(target.Path, temporary);
    if (fd < 0) {
        const int error = errno;
        if (target.What == SaveTarget::Kind::NewFile)
            return {ReplaceResult::OpenFailed, ErrnoReason(error)};
        return WriteInPlace(target, body);
    }
    const bool existing = target.What != SaveTarget::Kind::NewFile;
    if (existing) {
        // The replacement is the same file to everyone else: same permissions, same owner
        // (only root may give a file away; anyone else keeps their own).
        if (geteuid() == 0)
            (void)::fchown(fd, target.Owner, target.Group);
        ::fchmod(fd, target.Mode);
    }
    QString reason;
    bool written = WriteBody(fd, body, reason);
    if (::close(fd) != 0 && written) {
        reason = ErrnoReason(errno);
        written = false;
    }
    if (written &&
        ::rename(temporary.constData(), QFile::encodeName(target.Path).constData()) != 0) {
        reason = ErrnoReason(errno);
        written = false;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return {ReplaceResult::WriteFailed, reason};
    }
    return {ReplaceResult::Written, QString()};
}

} // namespace kelm
