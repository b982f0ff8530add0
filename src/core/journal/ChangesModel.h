#pragma once

#include "core/journal/JournalQuery.h"
#include "core/journal/UndoPlan.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace kelm {

// The texts of one row of the Changes window's tree. A change row holds its number, time,
// action, program and a result summary; a register row register, name, "old -> new" and
// result; a command row only its name and result.
inline constexpr int ChangeColumnCount = 5;
using ChangeCells = std::array<QString, ChangeColumnCount>;

struct ChangeRow {
    std::uint64_t Number = 0;
    ChangeCells Cells;
    std::vector<ChangeCells> Children; // in the order written
};

// The column titles of the tree (change row / register row).
ChangeCells ChangeHeaders();

// Which of the drive's changes the window lists.
struct ChangesFilter {
    bool ThisSessionOnly = true;
    QDate Since; // invalid: from the first entry
};

// The drive the window lists and the program run that is "this session".
struct ChangesScope {
    DriveFilter Drive;
    SessionFilter Session;
};

// The rows of the drive's changes the filter takes, newest change first.
std::vector<ChangeRow> ChangeRows(const std::vector<JournalEntry>& entries,
                                  const ChangesScope& scope, const ChangesFilter& filter);

// "2 written, 1 failed": how many of the change's entries ended each way.
QString ResultSummary(const JournalChange& change);

// Commands journalled at or after since (EEPROM load, defaults ...): they changed values
// the journal holds no old value of, so nothing takes them back.
QStringList CommandsSince(const std::vector<JournalEntry>& entries, const QDateTime& since);

// The question asked before an undo writes: what is written where (register, name, value
// now -> value written back), then the plan's notes and extra notes. Long lists are cut
// after maxLines registers. "\r" separates the lines.
QString UndoQuestion(const UndoPlan& plan, const QString& drive, const QStringList& extraNotes,
                     int maxLines = 20);

// What an undo did: "Undo change 12: 2 registers written back." and the registers left out.
QString UndoOutcomeText(const QString& action, int written, const QStringList& leftOut);

} // namespace kelm
