#include "core/journal/UndoPlan.h"

#include <algorithm>
#include <set>

namespace kelm {

namespace {

bool Selected(const std::vector<std::uint64_t>& changes, std::uint64_t change) {
    return std::find(changes.begin(), changes.end(), change) != changes.end();
}

// Why the entry's drive is not drive ("" when it is the same).
QString OtherDrive(const JournalEntry& entry, const ConnectedDrive& drive) {
    QStringList differs;
    if (entry.Kind.compare(drive.Kind, Qt::CaseInsensitive) != 0)
        differs << QStringLiteral("kind %1 (connected: %2)").arg(entry.Kind, drive.Kind);
    const auto field = [&differs](const char* name, const QString& was, const QString& now) {
        if (was != now)
            differs << QStringLiteral("%1 %2 (connected: %3)")
                           .arg(QLatin1String(name), was.isEmpty() ? QStringLiteral("-") : was,
                                now.isEmpty() ? QStringLiteral("-") : now);
    };
    field("model", entry.Identity.Model, drive.Identity.Model);
    field("size", entry.Identity.Size, drive.Identity.Size);
    field("firmware", entry.Identity.Firmware, drive.Identity.Firmware);
    return differs.join(QStringLiteral(", "));
}

QString ChangeList(const std::vector<std::uint64_t>& changes) {
    QStringList numbers;
    for (const std::uint64_t change : changes)
        numbers << QString::number(change);
    return numbers.join(QStringLiteral(", "));
}

} // namespace

UndoPlan PlanUndo(const std::vector<JournalEntry>& entries,
                  const std::vector<std::uint64_t>& changes, const ConnectedDrive& drive) {
    UndoPlan plan;
    std::vector<std::uint64_t> sorted = changes;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    plan.Action = QStringLiteral("Undo change%1 %2")
                      .arg(sorted.size() > 1 ? QStringLiteral("s") : QString(), ChangeList(sorted));
    if (sorted.empty()) {
        plan.Refusal = QStringLiteral("No change selected");
        return plan;
    }
    std::set<std::uint64_t> found;
    std::vector<std::uint64_t> newest; // per write: the change its Undone comes from
    for (const JournalEntry& entry : entries) {
        if (!Selected(sorted, entry.Change))
            continue;
        found.insert(entry.Change);
        if (const QString other = OtherDrive(entry, drive); !other.isEmpty()) {
            plan.Refusal = QStringLiteral("Change %1 was made on another drive: %2")
                               .arg(entry.Change)
                               .arg(other);
            plan.Writes.clear();
            return plan;
        }
        if (!entry.Command.isEmpty() || !entry.Register)
            continue;
        if (entry.Result != JournalResult::Written)
            continue;
        if (!entry.OldValue || !entry.NewValue) {
            plan.Notes << QStringLiteral("Register %1 of change %2: no old value journalled, "
                                         "left as it is")
                              .arg(*entry.Register)
                              .arg(entry.Change);
            continue;
        }
        auto write = std::find_if(plan.Writes.begin(), plan.Writes.end(), [&](const UndoWrite& w) {
            return w.Register == *entry.Register;
        });
        if (write == plan.Writes.end()) {
            plan.Writes.push_back(
                {*entry.Register, entry.Name, *entry.OldValue, *entry.NewValue, entry.Change});
            newest.push_back(entry.Change);
            continue;
        }
        // Two programs may write at once, so change numbers, not the order of the lines, say
        // which write came first: the oldest change's old value is written back, the newest
        // change's new value is what the drive holds now.
        if (entry.Change < write->Change) {
            write->Value = *entry.OldValue;
            write->Change = entry.Change;
        }
        std::uint64_t& last = newest[static_cast<std::size_t>(write - plan.Writes.begin())];
        if (entry.Change >= last) {
            write->Undone = *entry.NewValue;
            last = entry.Change;
        }
    }
    for (const std::uint64_t change : sorted)
        if (found.count(change) == 0) {
            plan.Refusal = QStringLiteral("Change %1 is not in the journal").arg(change);
            plan.Writes.clear();
            return plan;
        }
    // A later change the user did not select is overwritten too: say so before asking.
    for (const JournalEntry& entry : entries)
        if (!Selected(sorted, entry.Change) && entry.Register &&
            entry.Result == JournalResult::Written && OtherDrive(entry, drive).isEmpty())
            for (const UndoWrite& write : plan.Writes)
                if (write.Register == *entry.Register && entry.Change > write.Change)
                    plan.Notes << QStringLiteral("Register %1 (%2) was changed again by change "
                                                 "%3, which this undo overwrites")
                                      .arg(write.Register)
                                      .arg(write.Name)
                                      .arg(entry.Change);
    plan.Notes.removeDuplicates();
    return plan;
}

UndoPlan PlanBackToConnection(const std::vector<JournalEntry>& entries, const QDateTime& connected,
                              const ConnectedDrive& drive) {
    std::vector<JournalEntry> since;
    std::vector<std::uint64_t> changes;
    for (const JournalEntry& entry : entries)
        if (entry.Time >= connected) {
            since.push_back(entry);
            if (!Selected(changes, entry.Change))
                changes.push_back(entry.Change);
        }
    if (changes.empty()) {
        UndoPlan plan;
        plan.Action = QStringLiteral("Back to the values read at connection");
        return plan;
    }
    UndoPlan plan = PlanUndo(since, changes, drive);
    plan.Action = QStringLiteral("Back to the values read at connection");
    return plan;
}

QString DescribeDrive(const QString& kind, const JournalIdentity& identity) {
    QStringList parts;
    for (const QString& part : {kind, identity.Model, identity.Size})
        if (!part.isEmpty())
            parts << part;
    if (!identity.Firmware.isEmpty())
        parts << QStringLiteral("firmware ") + identity.Firmware;
    return parts.isEmpty() ? QStringLiteral("unknown") : parts.join(QStringLiteral(", "));
}

} // namespace kelm
