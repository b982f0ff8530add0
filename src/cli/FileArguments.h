#pragma once

#include "cli/CommandLine.h"
#include "core/files/SaveTarget.h"

#include <QString>

// The checks of the FILE a command reads or writes. They run before the port is opened, so
// that nothing is sent to a drive for a file that cannot be used; the final write checks
// the target again.
namespace kelm::cli {

// --force of the commands that write a file: a read-only file is overwritten (keeping its
// permissions).
void AddForceOption(CommandLine& line);
ReadOnlyFiles ReadOnlyPolicy(const CommandLine& line);

// A file to be written: a new name in an existing folder, a regular file or a link to one.
// Anything else is refused with "kelmctl: cannot write PATH: REASON". false after that.
bool CheckOutputFile(const QString& path, ReadOnlyFiles readOnly);

// A file to be read: an existing regular file of at most 16 MB that may be read. Anything
// else is refused with "kelmctl: cannot read PATH: REASON". false after that.
bool CheckInputFile(const QString& path);

} // namespace kelm::cli
