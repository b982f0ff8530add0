#pragma once

#include "core/files/FileStamp.h"
#include "core/params/ParamTable.h"

#include <QIODevice>
#include <QString>

// The body shared by the device parameter file and the profiles data file: after the two
// heading lines, a date line, a caption line, then one "name TAB address TAB value" line
// per table entry.
namespace kelm {

inline constexpr char ParamFileFirstLine[] = "Kelm Industries";
inline constexpr char ParamFileCaptionLine[] = "Parameter\tAddress\tValue";

// Writes the date line, the caption line and one line per entry with its FileValue,
// in table order.
void WriteValues(const ParamTable& table, QIODevice& device, const FileStamp& stamp);

// Checks lines 1 and 2 against expectedHeading (both trimmed and joined) and reads the
// value lines. With apply off every line is converted but nothing changes; with apply on
// each known address takes its value into FileValue and an unknown address is reported
// (errorTitle + "\rUnknown Parameter: " ...) and skipped.
// On a heading mismatch expectedHeading is replaced by the file's trimmed line 2 and the
// result is false (no message). On a conversion error "Fatal " + errorTitle is shown and
// the result is false (expectedHeading unchanged). On success the device is rewound to
// its start for the next pass (false, without a message, when it cannot be rewound). A line longer
// than the line limit counts as a conversion error rather than being read cut short.
bool ReadValues(ParamTable& table, QIODevice& device, QString& expectedHeading, bool apply,
                const QString& errorTitle);

// Copies Value into FileValue and writes the whole file (line 1, typeLine, then the body)
// beside the old one, replacing it only when everything was written. On failure returns
// false and puts the FileValue column back as it was; the caller reports.
bool WriteParamFile(ParamTable& table, const QString& typeLine, const QString& path,
                    const FileStamp& stamp);

// Runs the checking pass and, when it passes, the reading pass over `device` (read line
// by line, so a huge file never has to fit in memory), then copies FileValue into Value.
// On failure the table is unchanged and expectedHeading tells what was found (as for
// ReadValues); that holds even when the file changed between the two passes.
bool ReadValuesTwoPass(ParamTable& table, QIODevice& device, QString& expectedHeading,
                       const QString& errorTitle);

} // namespace kelm
