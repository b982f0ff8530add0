#pragma once

#include "core/journal/JournalEntry.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kelm {

// One register to write back: the value it held before the oldest selected write, and what
// the newest selected write left in it.
struct UndoWrite {
    std::uint16_t Register = 0;
    QString Name;
    int Value = 0;            // written back
    int Undone = 0;           // the value the journal says the drive holds now
    std::uint64_t Change = 0; // the change whose old value is written back
};

// The drive connected now, as the journal names drives.
struct ConnectedDrive {
    QString Kind;
    JournalIdentity Identity;
};

// What an undo writes. Refusal set: nothing may be written (another drive, no such change).
// Notes: entries left out and registers changed again since, for the question to the user.
struct UndoPlan {
    QString Action;                // the action the writes carry: "Undo change 12"
    std::vector<UndoWrite> Writes; // in the order the registers were first written
    QString Refusal;
    QStringList Notes;
    bool Refused() const { return !Refusal.isEmpty(); }
};

// The plan that takes back the given changes on drive. Only register writes that reached the
// drive are taken back (refused and failed writes changed nothing, commands have no value);
// a register written several times gets the old value of its oldest selected write. Refused
// when a change is not in entries or was made on a drive of another kind or identity.
UndoPlan PlanUndo(const std::vector<JournalEntry>& entries,
                  const std::vector<std::uint64_t>& changes, const ConnectedDrive& drive);

// "Back to the values read at connection": the plan for every change of drive's entries
// (already filtered to this drive) made at or after connected.
UndoPlan PlanBackToConnection(const std::vector<JournalEntry>& entries, const QDateTime& connected,
                              const ConnectedDrive& drive);

// "MZ400T, 5.0, firmware 3.4" for messages; "unknown" when nothing is known.
QString DescribeDrive(const QString& kind, const JournalIdentity& identity);

} // namespace kelm
