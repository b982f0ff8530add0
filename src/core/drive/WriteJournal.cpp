#include "core/drive/WriteJournal.h"

#include <QDateTime>

namespace kelm {

WriteJournal::WriteJournal(Journal::Options file, QString program, ContextSource context,
                           NoteSink note)
    : journal_(std::move(file)), program_(std::move(program)), context_(std::move(context)),
      note_(std::move(note)) {}

WriteJournal::~WriteJournal() {
    if (lastChange_ != 0)
        journal_.Flush();
}

void WriteJournal::Record(const WriteRecord& record) {
    // The journal keeps changes of the drive's parameters: registers outside its table
    // (the recorder's settings, capture control) are working traffic, not settings.
    if (record.Name.isEmpty() && record.Command.isEmpty() && !record.Raw)
        return;
    const JournalContext context = context_ ? context_(record.Gate.Target) : JournalContext{};
    JournalEntry entry;
    entry.Time =
        QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc());
    entry.Program = program_;
    entry.UserLevel = context.UserLevel;
    entry.Port = context.Port;
    entry.Address = record.Gate.Target.Address;
    entry.Kind = context.Kind;
    entry.Identity = context.Identity;
    if (record.Command.isEmpty()) {
        entry.Register = record.Gate.Address;
        entry.Name = record.Name;
        entry.OldValue = record.OldValue;
        entry.NewValue = static_cast<std::int16_t>(record.Gate.Value);
    } else {
        entry.Command = record.Command; // the handshake's registers are not settings
    }
    entry.Result = record.Result;

    QString failure;
    NoteSink note;
    {
        const std::lock_guard lock(mutex_);
        const bool grouped = record.Gate.Origin.Action.isEmpty() && !unscopedAction_.isEmpty();
        const std::uint64_t serial = grouped ? 0 : record.Gate.Origin.Serial;
        entry.Action = grouped ? unscopedAction_ : record.Gate.Origin.Action;
        const bool sameChange = lastChange_ != 0 && serial == lastSerial_;
        // A command is one entry: the later writes of its handshake add nothing.
        if (sameChange && !record.Command.isEmpty() && record.Command == lastCommand_ &&
            record.Result == JournalResult::Written)
            return;
        if (!sameChange && lastChange_ != 0)
            journal_.Flush(); // the previous change is complete
        entry.Change = sameChange ? lastChange_ : 0;
        if (journal_.Append(entry)) {
            if (!sameChange)
                ++changes_;
            lastSerial_ = serial;
            lastChange_ = entry.Change;
            lastCommand_ = record.Command;
        } else if (!failureSaid_) {
            failureSaid_ = true;
            failure = QStringLiteral("The journal of changes cannot be written (%1); changes "
                                     "from now on are not recorded.")
                          .arg(journal_.Error());
            note = note_;
        }
    }
    if (!failure.isEmpty() && note)
        note(failure);
}

void WriteJournal::GroupUnscopedAs(const QString& action) {
    const std::lock_guard lock(mutex_);
    unscopedAction_ = action;
}

std::uint64_t WriteJournal::LastChange() const {
    const std::lock_guard lock(mutex_);
    return lastChange_;
}

int WriteJournal::ChangeCount() const {
    const std::lock_guard lock(mutex_);
    return changes_;
}

} // namespace kelm
