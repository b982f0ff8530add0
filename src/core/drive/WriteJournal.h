#pragma once

#include "core/drive/WriteGate.h"
#include "core/journal/Journal.h"

#include <functional>
#include <mutex>
#include <optional>

namespace kelm {

// One write as the drive model saw it: what the gate was asked, the table's value before
// the write and the parameter's name (when the register is in the table), and the outcome.
struct WriteRecord {
    GateRecord Gate;
    std::optional<int> OldValue;
    QString Name;
    JournalResult Result = JournalResult::Written;
    QString Command;  // set for the writes of a command's handshake (TDriver::CommandMark)
    bool Raw = false; // a raw register write: journalled even outside the table
};

// What the journal says about the unit a write went to, besides the write itself.
struct JournalContext {
    QString UserLevel;
    QString Port;
    QString Kind;
    JournalIdentity Identity;
};

// Keeps the journal of one program: turns the drive model's write records into journal
// entries, gives the writes of one request (one origin) one change number, makes each
// change durable when the next one starts (and at the end), and says once when the journal
// cannot be written. Thread-safe: the worker and the user-interface thread both write.
class WriteJournal {
public:
    using ContextSource = std::function<JournalContext(const UnitInUse& unit)>;
    using NoteSink = std::function<void(const QString&)>;

    WriteJournal(Journal::Options file, QString program, ContextSource context, NoteSink note);
    ~WriteJournal();
    WriteJournal(const WriteJournal&) = delete;
    WriteJournal& operator=(const WriteJournal&) = delete;

    void Record(const WriteRecord& record);
    // Writes asked outside any request (no action) are one change under this action: a
    // command line tool's whole run is one change.
    void GroupUnscopedAs(const QString& action);
    // The change number the last record was given (0 before any).
    std::uint64_t LastChange() const;
    // Changes recorded by this program since it started.
    int ChangeCount() const;
    const Journal& File() const { return journal_; }

private:
    mutable std::mutex mutex_;
    Journal journal_;
    QString program_;
    ContextSource context_;
    QString unscopedAction_;
    NoteSink note_;
    std::uint64_t lastSerial_ = 0;
    std::uint64_t lastChange_ = 0;
    QString lastCommand_; // the command already journalled in the current change
    int changes_ = 0;
    bool failureSaid_ = false;
};

} // namespace kelm
