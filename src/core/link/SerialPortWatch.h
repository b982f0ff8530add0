#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace kelm {

// Tells when serial devices appear or go: a watch on the folders their nodes and stable
// names live in (/dev and /dev/serial/by-id), so port lists refresh as an adapter is plugged
// in or pulled out. Bursts of changes (udev makes several nodes per adapter) come as one
// Changed() a moment after the last. A folder that does not exist yet is watched from its
// parent, so /dev/serial/by-id is found when the first adapter creates it.
class SerialPortWatch final : public QObject {
    Q_OBJECT
public:
    static QStringList DefaultFolders();

    explicit SerialPortWatch(QObject* parent = nullptr,
                             const QStringList& folders = DefaultFolders());

signals:
    void Changed();

private:
    void WatchFolders();

    QStringList folders_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

} // namespace kelm
