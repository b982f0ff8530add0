#pragma once

#include <QIODevice>
#include <QString>
#include <functional>

namespace kelm {

enum class ReplaceResult {
    Written,     // the new file is in place
    OpenFailed,  // nothing was created; an existing file is untouched
    WriteFailed, // writing or the final replace failed; an existing file is untouched unless
                 // it had to be written in place (below)
};

// Writes a file beside the target and replaces the target only once everything was
// written, so a failure part-way never destroys the previous file. Where no file can be
// created beside the target (a folder that takes no new files) an existing writable target
// is written in place instead, without that protection.
ReplaceResult WriteReplacing(const QString& path, const std::function<void(QIODevice&)>& body);

} // namespace kelm
