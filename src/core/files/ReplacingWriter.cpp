#include "core/files/ReplacingWriter.h"

#include <QSaveFile>

namespace kelm {

ReplaceResult WriteReplacing(const QString& path, const std::function<void(QIODevice&)>& body) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ReplaceResult::OpenFailed;
    body(file);
    // commit() alone misses a failure of the last buffered write (seen with Qt 6.4: a
    // file cut short by a full disk was put in place), so flush and check first.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        file.commit(); // removes the temporary file, leaves the target alone
        return ReplaceResult::WriteFailed;
    }
    return file.commit() ? ReplaceResult::Written : ReplaceResult::WriteFailed;
}

} // namespace kelm
