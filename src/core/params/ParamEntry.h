#pragma once

#include <QString>
#include <cstdint>

namespace kelm {

// One drive register as the configuration describes it, with its three value columns:
// Value ('P', working value), FileValue ('F'), DriveValue ('U').
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
};

} // namespace kelm
