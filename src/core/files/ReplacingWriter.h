#pragma once

#include "core/files/SaveTarget.h"

#include <QIODevice>
#include <QString>
#include <functional>

namespace kelm {

enum class ReplaceResult {
    Written,     // the new file is in place
    Refused,     // the name is no file to replace (see InspectSaveTarget); nothing touched
    OpenFailed,  // nothing was created; an existing file is untouched
    WriteFailed, // writing or the final replace failed; an existing file is untouched unless
                 // it had to be written in place (below)
};

struct ReplaceOutcome {
    ReplaceResult Result = ReplaceResult::OpenFailed;
    QString Reason; // why it failed, one sentence; may be empty

    bool Written() const { return Result == ReplaceResult::Written; }
};

// Writes a file beside the target and replaces the target only once everything was
// written, so a failure part-way never destroys the previous file. Only a regular file (or
// a new name) is replaced: InspectSaveTarget decides, and a link to a regular file is saved
// through, with the new file beside the link's target. A replaced file keeps its
// permission bits (and its owner, where the process may set it); a new one gets the usual
// ones (0666 less the umask). Where no file can be created beside the target (a folder
// that takes no new files) an existing writable target is written in place instead,
// without that protection.
ReplaceOutcome WriteReplacing(const QString& path, const std::function<void(QIODevice&)>& body,
                              ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

} // namespace kelm
