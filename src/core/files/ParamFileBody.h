#pragma once

#include "core/files/FileStamp.h"
#include "core/files/ReplacingWriter.h"
#include "core/params/ParamTable.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

// The body shared by the device parameter file and the profiles data file: after the two
// heading lines, a date line, a caption line, then one "name TAB address TAB value" line
// per table entry.
namespace kelm {

inline constexpr char ParamFileFirstLine[] = "Kelm Industries";
inline constexpr char ParamFileCaptionLine[] = "Parameter\tAddress\tValue";

// What a reading pass met besides the values it took: the value lines whose address the
// table does not have (the first of them kept for the message, all counted), and how many
// of the table's registers the file gave a value.
struct ValueLinesReport {
    static constexpr int ListedLines = 10;

    int Ignored = 0;
    QStringList IgnoredAddresses; // the address texts of the first ListedLines ignored lines
    int Covered = 0;              // distinct table registers with a value line
    int TableCount = 0;

    // More than a table's worth of messages would bury the user: one message says it all.
    // Empty when every line was used and every register had one. With one ignored line and
    // a complete file it is exactly the single line's message:
    //   errorTitle "\rUnknown Parameter: 9999\rValue Ignored!"
    // Otherwise the first ListedLines addresses, "Value Ignored!", then how many lines were
    // ignored and how many registers the file held ("1 of 73 registers in the file.").
    QString Message(const QString& errorTitle) const;
    // Only the file's coverage, when short: "1 of 73 registers in the file."
    QString CoverageNote() const;
    bool Complete() const { return Ignored == 0 && Covered == TableCount; }
};

// After a successful open: the one error box for ignored lines (with the coverage), or the
// information box "path\r1 of 73 registers in the file." for a file covering part of the
// table; nothing for a complete file.
void ShowValueLinesReport(const ValueLinesReport& report, const QString& errorTitle,
                          const QString& path);

// Writes the date line, the caption line and one line per entry with its FileValue,
// in table order.
void WriteValues(const ParamTable& table, QIODevice& device, const FileStamp& stamp);

// Checks lines 1 and 2 against expectedHeading (both trimmed and joined) and reads the
// value lines. With apply off every line is converted but nothing changes; with apply on
// each known address takes its value into FileValue and an unknown address is counted in
// `report` and skipped (the caller shows the one message).
// On a heading mismatch expectedHeading is replaced by the file's trimmed line 2 and the
// result is false (no message). On a conversion error "Fatal " + errorTitle is shown and
// the result is false (expectedHeading unchanged). On success the device is rewound to
// its start for the next pass (false, without a message, when it cannot be rewound). A line longer
// than the line limit counts as a conversion error rather than being read cut short.
bool ReadValues(ParamTable& table, QIODevice& device, QString& expectedHeading, bool apply,
                const QString& errorTitle, ValueLinesReport& report);

// Copies Value into FileValue and writes the whole file (line 1, typeLine, then the body)
// beside the old one, replacing it only when everything was written. On failure puts the
// FileValue column back as it was and returns the outcome with its reason; the caller
// reports.
ReplaceOutcome WriteParamFile(ParamTable& table, const QString& typeLine, const QString& path,
                              const FileStamp& stamp, ReadOnlyFiles readOnly);

// Runs the checking pass and, when it passes, the reading pass over `device` (read line
// by line, so a huge file never has to fit in memory), then copies FileValue into Value.
// On failure the table is unchanged and expectedHeading tells what was found (as for
// ReadValues); that holds even when the file changed between the two passes. `report`
// describes the reading pass.
bool ReadValuesTwoPass(ParamTable& table, QIODevice& device, QString& expectedHeading,
                       const QString& errorTitle, ValueLinesReport& report);

} // namespace kelm
