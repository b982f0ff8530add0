#pragma once

#include <QFile>
#include <QString>

namespace kelm {

// Every file the program reads is small: the largest, an oscilloscope record, stays well
// under a megabyte.
inline constexpr qint64 MaxInputFileBytes = 16 * 1024 * 1024;

// Opens `path` for reading only when it is a regular file of at most maxBytes, so that a
// folder, a pipe that never ends (or never opens), a device such as /dev/zero or a huge
// file is refused at once instead of hanging or filling memory. On refusal `reason` says
// why in a few words ("It is a folder.", "Its symbolic links form a loop."); it stays
// empty only for a plain missing file, which callers report with their usual message.
bool OpenInputFile(QFile& file, const QString& path, QString& reason,
                   qint64 maxBytes = MaxInputFileBytes);

// Whether `path` passes OpenInputFile (the file is closed again): for readers that open
// by name themselves, such as QSettings.
bool CanOpenInputFile(const QString& path, QString& reason);

// The caller's message, with the reason on a line of its own when there is one.
QString WithReason(const QString& message, const QString& reason);

// What a file that is not a regular one is ("a FIFO (named pipe)"), and the same as a reason
// ("It is a FIFO (named pipe)."); `mode` is a stat st_mode.
QString FileTypeNoun(unsigned mode);
QString FileTypeReason(unsigned mode);

// The caller's message with a last line naming where it happened: the file's name (when
// known) and the line number ("/opt/kelm/Bin/device.dll, line 37").
QString WithLocation(const QString& message, const QString& fileName, int line);

} // namespace kelm
