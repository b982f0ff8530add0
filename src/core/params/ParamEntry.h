#pragma once

#include <QString>
#include <cstdint>

namespace kelm {

// The three value columns of an entry.
enum class Column {
    Value,      // the working value shown and edited
    FileValue,  // as last loaded from or saved to a file
    DriveValue, // as last read from or written to the drive
};

// One drive register as the configuration describes it, with its three value columns.
struct ParamEntry {
    QString Name;            // at most 19 characters
    char AccessLetter = 'U'; // 'U' or 'E'
    char KindLetter = 'N';   // 'N', 'A', 'D' or 'F'
    std::uint16_t Address = 0;
    std::int16_t MinValue = 0;
    std::int16_t MaxValue = 0;
    std::int16_t DefaultValue = 0;
    std::int16_t Value = 0;
    std::int16_t FileValue = 0;
    std::int16_t DriveValue = 0;
    bool Compared = false;

    static constexpr int MaxNameChars = 19;

    // The kinds a whole-table write sends ('A' and 'D').
    bool SentByTableWrite() const { return KindLetter == 'A' || KindLetter == 'D'; }
    // The kinds whose edits a file keeps ('A' and 'F').
    bool KeptInFile() const { return KindLetter == 'A' || KindLetter == 'F'; }
};

} // namespace kelm
