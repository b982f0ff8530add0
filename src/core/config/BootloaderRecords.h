#pragma once

#include <QString>
#include <cstdint>

namespace kelm {

inline constexpr char BootloaderFileName[] = "Btldr.dll";
inline constexpr char BootloaderHeader[] = "Kelm bootloader configuration file";

// Firmware-loader settings of one drive kind; all zero and empty until read.
struct BootloaderRecord {
    std::uint16_t First = 0;
    std::uint16_t Second = 0;
    QString Text;
    bool IsEmpty() const { return First == 0 && Second == 0 && Text.isEmpty(); }
};

struct BootloaderRecords {
    BootloaderRecord Drive;   // line 3
    BootloaderRecord Orca230; // line 4
};

// Reads "Btldr.dll". Silent: a missing file or a first line that is not exactly the header
// leaves both records empty. A record line whose second or third field is missing or not an
// integer leaves that record empty (a half-read record could launch the loader with wrong
// settings); the other line is still read.
BootloaderRecords LoadBootloaderRecords(const QString& path);

} // namespace kelm
