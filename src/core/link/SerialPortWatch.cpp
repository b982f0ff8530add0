#include "core/link/SerialPortWatch.h"

#include "core/link/SerialById.h"

#include <QDir>
#include <QFileInfo>

namespace kelm {

namespace {
constexpr int SettleMs = 300;
}

QStringList SerialPortWatch::DefaultFolders() {
    return {QStringLiteral("/dev"), QLatin1String(SerialByIdFolder)};
}

SerialPortWatch::SerialPortWatch(QObject* parent, const QStringList& folders)
    : QObject(parent), folders_(folders) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        WatchFolders(); // a folder may have appeared meanwhile
        emit Changed();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
    WatchFolders();
}

// Each folder that exists, else its nearest existing parent.
void SerialPortWatch::WatchFolders() {
    QStringList wanted;
    for (QString folder : folders_) {
        while (!folder.isEmpty() && !QFileInfo(folder).isDir())
            folder = QFileInfo(folder).path() == folder ? QString() : QFileInfo(folder).path();
        if (!folder.isEmpty() && !wanted.contains(folder))
            wanted << folder;
    }
    const QStringList watched = watcher_.directories();
    for (const QString& folder : watched)
        if (!wanted.contains(folder))
            watcher_.removePath(folder);
    for (const QString& folder : wanted)
        if (!watched.contains(folder))
            watcher_.addPath(folder);
}

} // namespace kelm
