#include "core/files/ReplacingWriter.h"

#include <QFile>
#include <QSaveFile>

namespace kelm {
namespace {

// Flushes and checks the device: a failure of the last buffered write shows only here.
bool WrittenCompletely(QFileDevice& file) {
    return file.flush() && file.error() == QFileDevice::NoError;
}

} // namespace

ReplaceResult WriteReplacing(const QString& path, const std::function<void(QIODevice&)>& body) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // No file can be created beside the target (a folder that takes no new files): a
        // writable target is then written in place, as a plain create-or-truncate save.
        QFile direct(path);
        if (!direct.exists() || !direct.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return ReplaceResult::OpenFailed;
        body(direct);
        return WrittenCompletely(direct) ? ReplaceResult::Written : ReplaceResult::WriteFailed;
    }
    body(file);
    // commit() alone misses a failure of the last buffered write (seen with Qt 6.4: a
    // file cut short by a full disk was put in place), so flush and check first.
    if (!WrittenCompletely(file)) {
        file.cancelWriting();
        file.commit(); // removes the temporary file, leaves the target alone
        return ReplaceResult::WriteFailed;
    }
    return file.commit() ? ReplaceResult::Written : ReplaceResult::WriteFailed;
}

} // namespace kelm
