#pragma once

#include "core/analysis/RecordMeasurements.h"
#include "core/common/DeviceKind.h"
#include "core/journal/JournalEntry.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelm {

class ParamTable;

// The drive a report is about, as read at connection.
struct ReportDrive {
    DeviceKind Kind = DeviceKind::Std;
    QString KindText; // "Device", "Tarn Drive", ...
    JournalIdentity Identity;
    QString Port;
    int Address = 0;
};

// A parameter whose value differs from its default, as the pages show it.
struct ReportParameter {
    std::uint16_t Address = 0;
    QString Name;
    QString Value;
    QString Default;
    QString Unit;
};

// One journalled write or command of the session.
struct ReportChange {
    QDateTime Time;
    std::uint64_t Change = 0;
    QString Register; // empty for a command
    QString Name;     // the parameter's name, or the command
    QString OldValue;
    QString NewValue;
    QString Unit;
    QString Action;
    QString Result;
};

// The measurements of the last oscilloscope record.
struct ReportMeasurements {
    QString Range;
    std::array<QString, 2> Channels;
    std::vector<MeasurementRow> Rows;
};

// Everything a commissioning report holds; rendered as one printable HTML page.
struct CommissioningReport {
    QString Program; // "kelmdrive 1.4.0"
    QDateTime Date;
    QString UserName;
    QString UserLevel; // empty where the program has none
    ReportDrive Drive;
    std::vector<ReportParameter> Parameters;
    QDateTime ChangesSince;
    std::vector<ReportChange> Changes;
    QString PictureName; // an image resource or file beside the page; empty: none
    std::optional<ReportMeasurements> Measurements;
};

// The settings of the table (entries a table write sends or a file keeps) whose drive value
// differs from the default, in table order; a 32-bit pair the pages show as one number is
// one row, named after its low word.
std::vector<ReportParameter> DifferingParameters(const ParamTable& table, DeviceKind kind);

// The journal's entries for this drive (kind, address and identity) from `since` on, oldest
// first, with values as the pages show them. A write journalled without its parameter's
// name (a raw write of kelmctl) is named from `table`.
std::vector<ReportChange> SessionChanges(const std::vector<JournalEntry>& entries,
                                         const ReportDrive& drive, const QDateTime& since,
                                         const ParamTable& table);

// The report as a complete HTML page; every text from the drive or the journal is escaped.
QString ReportHtml(const CommissioningReport& report);

} // namespace kelm
