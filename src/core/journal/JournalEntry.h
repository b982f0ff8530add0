#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace kelm {

// What became of a write the journal records.
enum class JournalResult { Written, Refused, Failed };

// The drive as read at connection; a field the kind does not have stays empty.
struct JournalIdentity {
    QString Model;
    QString Size;
    QString Firmware;
    bool operator==(const JournalIdentity&) const = default;
};

// One line of the journal: a register write (Register, Name, OldValue, NewValue set) or a
// command without values (Command set: EEPROM save, defaults, reset, a procedure ...).
// Entries of one user action share the number Change.
struct JournalEntry {
    QDateTime Time;
    QString Program;   // "kelmdrive" or "kelmctl"
    QString UserLevel; // "Normal", "Expert", ...
    QString Port;
    int Address = 0;
    QString Kind;
    JournalIdentity Identity;
    std::optional<std::uint16_t> Register;
    QString Name;
    std::optional<int> OldValue;
    std::optional<int> NewValue;
    QString Command;
    QString Action; // window and control, or the kelmctl command line
    JournalResult Result = JournalResult::Written;
    std::uint64_t Change = 0;
};

// One JSON object on one line, newline included.
QByteArray ToJsonLine(const JournalEntry& entry);
// Empty for a line that is not a journal entry (damaged, cut off, another format).
std::optional<JournalEntry> FromJsonLine(const QByteArray& line);

QString ResultName(JournalResult result);

} // namespace kelm
