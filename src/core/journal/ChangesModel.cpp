#include "core/journal/ChangesModel.h"

namespace kelm {

namespace {

QString ValueText(const std::optional<int>& value) {
    return value ? QString::number(*value) : QStringLiteral("?");
}

ChangeCells EntryCells(const JournalEntry& entry) {
    const QString result = ResultName(entry.Result);
    if (!entry.Register)
        return {QString(), QString(), entry.Command, QString(), result};
    return {QString(), QString::number(*entry.Register), entry.Name,
            ValueText(entry.OldValue) + QStringLiteral(" -> ") + ValueText(entry.NewValue), result};
}

} // namespace

ChangeCells ChangeHeaders() {
    return {QStringLiteral("Change"), QStringLiteral("Time / Register"),
            QStringLiteral("Action / Name"), QStringLiteral("Program / Values"),
            QStringLiteral("Result")};
}

QString ResultSummary(const JournalChange& change) {
    QStringList parts;
    for (const JournalResult result :
         {JournalResult::Written, JournalResult::Refused, JournalResult::Failed}) {
        const auto count =
            std::count_if(change.Entries.begin(), change.Entries.end(),
                          [result](const JournalEntry& entry) { return entry.Result == result; });
        if (count > 0)
            parts << QStringLiteral("%1 %2").arg(count).arg(ResultName(result));
    }
    return parts.join(QStringLiteral(", "));
}

std::vector<ChangeRow> ChangeRows(const std::vector<JournalEntry>& entries,
                                  const ChangesScope& scope, const ChangesFilter& filter) {
    JournalFilter query;
    query.Drive = scope.Drive;
    if (filter.ThisSessionOnly)
        query.Session = scope.Session;
    if (filter.Since.isValid())
        query.Since = filter.Since.startOfDay();
    std::vector<ChangeRow> rows;
    for (const JournalChange& change : QueryChanges(entries, query)) {
        ChangeRow row;
        row.Number = change.Number;
        row.Cells = {QString::number(change.Number),
                     change.Time().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                     change.Action(), change.Entries.front().Program, ResultSummary(change)};
        for (const JournalEntry& entry : change.Entries)
            row.Children.push_back(EntryCells(entry));
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList CommandsSince(const std::vector<JournalEntry>& entries, const QDateTime& since) {
    QStringList commands;
    for (const JournalEntry& entry : entries)
        if (!entry.Command.isEmpty() && entry.Time >= since &&
            entry.Result == JournalResult::Written)
            commands << entry.Command;
    commands.removeDuplicates();
    return commands;
}

QString UndoQuestion(const UndoPlan& plan, const QString& drive, const QStringList& extraNotes,
                     int maxLines) {
    QStringList lines;
    lines << QStringLiteral("%1 writes on %2:").arg(plan.Action, drive);
    const int count = static_cast<int>(plan.Writes.size());
    for (int i = 0; i < count && i < maxLines; ++i) {
        const UndoWrite& write = plan.Writes[static_cast<std::size_t>(i)];
        lines << QStringLiteral("%1 %2: %3 -> %4")
                     .arg(write.Register)
                     .arg(write.Name)
                     .arg(write.Undone)
                     .arg(write.Value);
    }
    if (count > maxLines)
        lines << QStringLiteral("... and %1 more").arg(count - maxLines);
    lines << plan.Notes << extraNotes;
    lines << QStringLiteral("Write these values?");
    return lines.join(QLatin1Char('\r'));
}

QString UndoOutcomeText(const QString& action, int written, const QStringList& leftOut) {
    QStringList lines;
    lines << QStringLiteral("%1: %2 register%3 written back.")
                 .arg(action)
                 .arg(written)
                 .arg(written == 1 ? QString() : QStringLiteral("s"));
    lines << leftOut;
    return lines.join(QLatin1Char('\r'));
}

} // namespace kelm
