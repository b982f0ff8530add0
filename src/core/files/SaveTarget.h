#pragma once

#include <QString>
#include <sys/types.h>

// What a name chosen for saving points at, and whether a save may replace it. Saves write
// a new file beside the target and rename it over the target; that is safe only for a
// regular file. Renaming over a symbolic link would replace the link, and writing through a
// link to a device or a pipe would turn it into a regular file (as root) or hang.
namespace kelm {

// Whether an existing read-only file may be replaced (kelmctl --force).
enum class ReadOnlyFiles { Refuse, Overwrite };

struct SaveTarget {
    enum class Kind {
        NewFile,           // nothing by that name yet; its folder exists
        RegularFile,       // an existing regular file
        LinkToRegularFile, // a symbolic link (or a chain of them) to a regular file
        Refused,           // anything else: Reason says what it is
    };
    Kind What = Kind::Refused;
    // The file to write: the name itself, or a link's resolved target, so that the new file
    // goes beside the target and the link stays a link.
    QString Path;
    QString Reason;        // one sentence for the user ("It is a FIFO (named pipe).")
    bool ReadOnly = false; // an existing file without write permission
    // Of an existing file: its permission bits and owner, which the replacement keeps.
    mode_t Mode = 0;
    uid_t Owner = 0;
    gid_t Group = 0;

    bool Accepted() const { return What != Kind::Refused; }
};

// Looks at `path` without changing anything. A device, FIFO, socket, folder, a link that
// leads nowhere or loops, a name in a missing folder and (unless readOnly is Overwrite) a
// read-only file are refused with their reason. A file counts as read-only when no write
// bit is set (even for root, who could write it) or this process may not write it.
SaveTarget InspectSaveTarget(const QString& path, ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse);

} // namespace kelm
