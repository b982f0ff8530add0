#include "core/machine/AtomicFolder.h"

#include "core/machine/MachineManifest.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace kelm {
namespace {

bool Fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return false;
}

// A name beside `path` that nothing uses yet.
QString FreeSibling(const QFileInfo& info, const QString& tag) {
    for (int i = 0;; ++i) {
        const QString name =
            info.dir().filePath(QStringLiteral(".%1.%2-%3").arg(info.fileName(), tag).arg(i));
        if (!QFileInfo::exists(name) && !QFileInfo(name).isSymLink())
            return name;
    }
}

} // namespace

AtomicFolder::AtomicFolder(QString target)
    : target_(QDir::cleanPath(QFileInfo(target).absoluteFilePath())) {}

AtomicFolder::~AtomicFolder() = default;

bool AtomicFolder::Begin(QString* error) {
    const QFileInfo info(target_);
    if (info.isSymLink() || (info.exists() && !info.isDir()))
        return Fail(error, QStringLiteral("%1 exists and is not a folder").arg(target_));
    if (info.isDir()) {
        const QDir dir(target_);
        const bool empty =
            dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        if (!empty && !dir.exists(QLatin1String(ManifestFileName)))
            return Fail(error, QStringLiteral("%1 holds other files and no %2: choose a new or "
                                              "empty folder")
                                   .arg(target_, QLatin1String(ManifestFileName)));
    }
    if (!info.dir().exists())
        return Fail(error, QStringLiteral("the folder %1 does not exist").arg(info.path()));
    work_ = std::make_unique<QTemporaryDir>(
        info.dir().filePath(QStringLiteral(".%1.new-XXXXXX").arg(info.fileName())));
    if (!work_->isValid()) {
        const QString reason = work_->errorString();
        work_.reset();
        return Fail(error,
                    QStringLiteral("cannot create a folder beside %1: %2").arg(target_, reason));
    }
    return true;
}

QString AtomicFolder::WorkPath() const {
    return work_ ? work_->path() : QString();
}

bool AtomicFolder::Commit(QString* error) {
    if (!work_)
        return Fail(error, QStringLiteral("nothing to commit"));
    const QFileInfo info(target_);
    QString old;
    if (info.exists()) {
        old = FreeSibling(info, QStringLiteral("old"));
        if (std::rename(QFile::encodeName(target_).constData(),
                        QFile::encodeName(old).constData()) != 0)
            return Fail(error, QStringLiteral("cannot move %1 aside").arg(target_));
    }
    if (std::rename(QFile::encodeName(work_->path()).constData(),
                    QFile::encodeName(target_).constData()) != 0) {
        if (!old.isEmpty())
            std::rename(QFile::encodeName(old).constData(), QFile::encodeName(target_).constData());
        return Fail(error, QStringLiteral("cannot rename the new folder to %1").arg(target_));
    }
    work_->setAutoRemove(false);
    work_.reset();
    // QTemporaryDir makes its folder private; the backup gets the usual permissions.
    QFile::setPermissions(target_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                       QFile::ExeOther);
    if (!old.isEmpty())
        QDir(old).removeRecursively();
    return true;
}

} // namespace kelm
