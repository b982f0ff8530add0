#pragma once

#include "core/journal/JournalEntry.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kelm {

// The user's journal of writes: one JSON line per entry in a file that is rotated at a
// bounded size (journal.jsonl, then journal.1.jsonl ... the oldest). The program and
// kelmctl may append at the same time: every append opens the file with O_APPEND under a
// lock file, so lines never mix and change numbers are never given twice.
class Journal {
public:
    struct Options {
        QString Path;                       // the current file, e.g. .../journal.jsonl
        std::int64_t RotateBytes = 4 << 20; // a file that would grow past this is rotated
        int KeepFiles = 10;                 // the current file and the rotated ones
    };

    struct Listing {
        std::vector<JournalEntry> Entries; // oldest first
        QStringList Skipped;               // one note per damaged line
    };

    explicit Journal(Options options);

    // Appends one entry. An entry with Change 0 starts a new change: it is given the next
    // number, which the caller keeps for the rest of the change. false when the file
    // cannot be written (Error() says why).
    bool Append(JournalEntry& entry);
    // Makes the entries appended so far durable (at the end of a change).
    bool Flush();

    Listing Read() const;
    const QString& Error() const { return error_; }
    const Options& Settings() const { return options_; }

    // The file holding older entries: 0 the current file, n the n-th rotated one.
    QString FilePath(int generation) const;

private:
    bool Rotate();
    std::uint64_t LastChange() const;
    bool Fail(const QString& what);

    Options options_;
    QString error_;
};

} // namespace kelm
