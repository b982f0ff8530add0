#include "core/files/SaveTarget.h"

#include "core/text/InputFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {
namespace {

SaveTarget Refused(const QString& path, const QString& reason) {
    SaveTarget target;
    target.Path = path;
    target.Reason = reason;
    return target;
}

QString ErrorReason(int error) {
    switch (error) {
    case ELOOP:
        return QStringLiteral("Its symbolic links form a loop.");
    case EACCES:
        return QStringLiteral("Its folder cannot be searched (permission denied).");
    case ENOTDIR:
        return QStringLiteral("A part of its path is not a folder.");
    default:
        return QString::fromLocal8Bit(std::strerror(error)) + u'.';
    }
}

// A name that does not exist yet: its folder must.
SaveTarget NewFile(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return Refused(path, errno == ENOENT
                                 ? QStringLiteral("The folder %1 does not exist.").arg(folder)
                                 : ErrorReason(errno));
    if (!S_ISDIR(info.st_mode))
        return Refused(path, QStringLiteral("%1 is not a folder.").arg(folder));
    SaveTarget target;
    target.What = SaveTarget::Kind::NewFile;
    target.Path = path;
    return target;
}

} // namespace

SaveTarget InspectSaveTarget(const QString& path, ReadOnlyFiles readOnly) {
    if (path.isEmpty())
        return Refused(path, QStringLiteral("No file name was given."));
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return errno == ENOENT ? NewFile(path) : Refused(path, ErrorReason(errno));

    SaveTarget target;
    target.What = SaveTarget::Kind::RegularFile;
    target.Path = path;
    if (S_ISLNK(info.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> resolved(
            ::realpath(name.constData(), nullptr), &std::free);
        if (!resolved)
            return Refused(path, errno == ENOENT
                                     ? QStringLiteral("It is a symbolic link to a missing file.")
                                     : ErrorReason(errno));
        if (::stat(resolved.get(), &info) != 0)
            return Refused(path, ErrorReason(errno));
        target.What = SaveTarget::Kind::LinkToRegularFile;
        target.Path = QFile::decodeName(resolved.get());
        if (!S_ISREG(info.st_mode))
            return Refused(path, QStringLiteral("It is a symbolic link to %1, %2.")
                                     .arg(target.Path, FileTypeNoun(info.st_mode)));
    }
    if (!S_ISREG(info.st_mode))
        return Refused(path, FileTypeReason(info.st_mode));
    target.Mode = info.st_mode & 07777;
    target.Owner = info.st_uid;
    target.Group = info.st_gid;
    target.ReadOnly = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                      ::access(QFile::encodeName(target.Path).constData(), W_OK) != 0;
    if (target.ReadOnly && readOnly == ReadOnlyFiles::Refuse) {
        target.What = SaveTarget::Kind::Refused;
        target.Reason = QStringLiteral("It is read-only.");
    }
    return target;
}

} // namespace kelm
