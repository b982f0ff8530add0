#include "core/report/CommissioningReport.h"

#include "core/params/ParamTable.h"
#include "core/report/ValueDisplay.h"

#include <algorithm>

namespace kelm {
namespace {

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString Cell(const QString& text, bool header, bool nowrap) {
    const char* tag = header ? "th" : "td";
    // A line break inside a cell's text stays one.
    const QString html = Escaped(text).replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QStringLiteral("<%1%2>%3</%1>")
        .arg(QLatin1String(tag),
             nowrap ? QStringLiteral(" style=\"white-space:nowrap\"") : QString(), html);
}

// One table row; the columns in nowrap stay on one line (times, values).
QString Row(std::initializer_list<QString> cells, bool header = false,
            std::initializer_list<int> nowrap = {}) {
    QString row = QStringLiteral("<tr>");
    int column = 0;
    for (const QString& cell : cells)
        row +=
            Cell(cell, header, std::find(nowrap.begin(), nowrap.end(), column++) != nowrap.end());
    return row + QStringLiteral("</tr>\n");
}

QString TableStart() {
    return QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n");
}

QString TimeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString IdentityText(const JournalIdentity& identity) {
    QStringList parts;
    if (!identity.Model.isEmpty())
        parts << identity.Model;
    if (!identity.Size.isEmpty())
        parts << QStringLiteral("size ") + identity.Size;
    if (!identity.Firmware.isEmpty())
        parts << QStringLiteral("firmware ") + identity.Firmware;
    return parts.isEmpty() ? QStringLiteral("not known") : parts.join(QStringLiteral(", "));
}

} // namespace

std::vector<ReportParameter> DifferingParameters(const ParamTable& table, DeviceKind kind) {
    std::vector<ReportParameter> rows;
    for (const ParamEntry& entry : table) {
        if (!entry.SentByTableWrite() && !entry.KeptInFile())
            continue;
        if (IsHighWordOfPair(kind, entry.Address))
            continue;
        const RegisterDisplay display = DisplayOf(kind, entry.Address);
        std::int16_t high = 0, highDefault = 0;
        if (display.HighWord != 0) {
            if (const ParamEntry* word = table.FindByAddress(display.HighWord)) {
                high = word->DriveValue;
                highDefault = word->DefaultValue;
            }
        }
        if (entry.DriveValue == entry.DefaultValue && high == highDefault)
            continue;
        rows.push_back({entry.Address, entry.Name, DisplayText(display, entry.DriveValue, high),
                        DisplayText(display, entry.DefaultValue, highDefault), display.Unit});
    }
    return rows;
}

std::vector<ReportChange> SessionChanges(const std::vector<JournalEntry>& entries,
                                         const ReportDrive& drive, const QDateTime& since,
                                         const ParamTable& table) {
    std::vector<ReportChange> changes;
    for (const JournalEntry& e : entries) {
        if (e.Kind != drive.KindText || e.Address != drive.Address ||
            e.Identity != drive.Identity || (since.isValid() && e.Time < since))
            continue;
        // A write that left the value as it was changed nothing (a whole-table write sends
        // every setting); it is not listed.
        if (e.Register && e.Result == JournalResult::Written && e.OldValue == e.NewValue)
            continue;
        ReportChange change;
        change.Time = e.Time;
        change.Change = e.Change;
        change.Action = e.Action;
        change.Result = ResultName(e.Result);
        if (e.Register) {
            // A word of a pair is shown raw: the journal holds one word per write.
            const RegisterDisplay display = DisplayOf(drive.Kind, *e.Register);
            const bool single = display.HighWord == 0 && !IsHighWordOfPair(drive.Kind, *e.Register);
            const auto text = [&](const std::optional<int>& value) {
                if (!value)
                    return QString();
                return single ? DisplayText(display, static_cast<std::int16_t>(*value))
                              : QString::number(*value);
            };
            change.Register = QString::number(*e.Register);
            change.Name = e.Name;
            if (const ParamEntry* entry =
                    table.FindByAddress(static_cast<std::uint16_t>(*e.Register));
                change.Name.isEmpty() && entry != nullptr)
                change.Name = entry->Name;
            change.OldValue = text(e.OldValue);
            change.NewValue = text(e.NewValue);
            change.Unit = single ? display.Unit : QString();
        } else {
            change.Name = e.Command;
        }
        changes.push_back(std::move(change));
    }
    return changes;
}

QString ReportHtml(const CommissioningReport& r) {
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>Commissioning "
        "Report</title>\n"
        "<style>body{font-family:sans-serif;font-size:9pt} h1{font-size:16pt} "
        "h2{font-size:12pt;margin-top:14pt} th{text-align:left;background-color:#e8e8e8}"
        "</style></head><body>\n<h1>Commissioning Report</h1>\n");
    html += TableStart();
    html += Row({QStringLiteral("Drive"), r.Drive.KindText});
    html += Row({QStringLiteral("Identity"), IdentityText(r.Drive.Identity)});
    html += Row({QStringLiteral("Port"), r.Drive.Port});
    html += Row({QStringLiteral("Address"), QString::number(r.Drive.Address)});
    html += Row({QStringLiteral("Date"), TimeText(r.Date)});
    html += Row({QStringLiteral("User"), r.UserLevel.isEmpty()
                                             ? r.UserName
                                             : r.UserName + QStringLiteral(" (") + r.UserLevel +
                                                   QStringLiteral(" level)")});
    html += Row({QStringLiteral("Written by"), r.Program});
    html += QStringLiteral("</table>\n");

    html += QStringLiteral("<h2>Parameters that differ from their defaults</h2>\n");
    if (r.Parameters.empty()) {
        html += QStringLiteral("<p>Every parameter holds its default.</p>\n");
    } else {
        html += TableStart();
        html += Row({QStringLiteral("Register"), QStringLiteral("Name"), QStringLiteral("Value"),
                     QStringLiteral("Unit"), QStringLiteral("Default")},
                    true);
        for (const ReportParameter& p : r.Parameters)
            html += Row({QString::number(p.Address), p.Name, p.Value, p.Unit, p.Default});
        html += QStringLiteral("</table>\n");
    }

    html += QStringLiteral("<h2>Changes of this session</h2>\n");
    if (r.ChangesSince.isValid())
        html += QStringLiteral("<p>Since %1.</p>\n").arg(Escaped(TimeText(r.ChangesSince)));
    if (r.Changes.empty()) {
        html += QStringLiteral("<p>No changes.</p>\n");
    } else {
        html += TableStart();
        html += Row({QStringLiteral("Time"), QStringLiteral("Change"), QStringLiteral("Register"),
                     QStringLiteral("Name"), QStringLiteral("Old -> New"), QStringLiteral("Action"),
                     QStringLiteral("Result")},
                    true, {0, 1, 2, 4, 6});
        for (const ReportChange& c : r.Changes) {
            QString values;
            if (!c.Register.isEmpty())
                values = c.OldValue + QStringLiteral(" -> ") + c.NewValue +
                         (c.Unit.isEmpty() ? QString() : QStringLiteral(" ") + c.Unit);
            // The date above the time leaves the room to the names and actions.
            const QString time = c.Time.toString(QStringLiteral("yyyy-MM-dd\nHH:mm:ss"));
            html += Row(
                {time, QString::number(c.Change), c.Register, c.Name, values, c.Action, c.Result},
                false, {0, 1, 2, 4, 6});
        }
        html += QStringLiteral("</table>\n");
    }
    html += QStringLiteral("<p>Writes that left a value as it was are not listed.</p>\n");

    if (!r.PictureName.isEmpty() || r.Measurements) {
        html += QStringLiteral("<h2>Last oscilloscope record</h2>\n");
        if (!r.PictureName.isEmpty())
            html += QStringLiteral("<p><img src=\"%1\" width=\"480\"></p>\n")
                        .arg(Escaped(r.PictureName));
        if (r.Measurements) {
            const ReportMeasurements& m = *r.Measurements;
            html += QStringLiteral("<p>%1</p>\n").arg(Escaped(m.Range));
            html += TableStart();
            html += Row({QStringLiteral("Figure"), m.Channels[0], m.Channels[1]}, true);
            for (const MeasurementRow& row : m.Rows)
                html += Row({row.Label, row.Values[0], row.Values[1]});
            html += QStringLiteral("</table>\n");
        }
    }
    return html + QStringLiteral("</body></html>\n");
}

} // namespace kelm
