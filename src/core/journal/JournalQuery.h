#pragma once

#include "core/journal/JournalEntry.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelm {

// Which drive's entries to take. A field left empty takes any drive; the drive as the program
// knows it at connection sets every field (DriveFilter::Of).
struct DriveFilter {
    std::optional<QString> Port;
    std::optional<int> Address;
    std::optional<QString> Kind; // compared without letter case, like the model
    std::optional<QString> Model;
    std::optional<QString> Size;
    std::optional<QString> Firmware;

    static DriveFilter Of(const QString& port, int address, const QString& kind,
                          const JournalIdentity& identity);
    bool Matches(const JournalEntry& entry) const;
};

// "port=/dev/ttyUSB0,address=1,kind=Std,model=MZ400T,size=5.0,firmware=3.4", any of the keys
// in any order. nullopt when a part is not key=value with a known key (error says which).
std::optional<DriveFilter> ParseDriveFilter(const QString& text, QString* error = nullptr);

// The entries of one program run: its program name and the time it started.
struct SessionFilter {
    QString Program;
    QDateTime Start;
};

struct JournalFilter {
    DriveFilter Drive;
    QDateTime Since; // invalid: from the first entry
    std::optional<SessionFilter> Session;
    bool Matches(const JournalEntry& entry) const;
};

// The entries of one change number, in the order they were written.
struct JournalChange {
    std::uint64_t Number = 0;
    std::vector<JournalEntry> Entries;
    QDateTime Time() const { return Entries.empty() ? QDateTime() : Entries.front().Time; }
    QString Action() const { return Entries.empty() ? QString() : Entries.front().Action; }
};

// The entries the filter takes, grouped by change, the newest change first.
std::vector<JournalChange> QueryChanges(const std::vector<JournalEntry>& entries,
                                        const JournalFilter& filter);

// A date for --since: "2026-12-08", "2026-12-08T10:15", with or without a zone (local time
// when none). Invalid when the text is none of these.
QDateTime ParseSince(const QString& text);

} // namespace kelm
