#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace kelm {

inline constexpr char IoStringsHeader[] = "Kelm Digital I/O Configuration File";
inline constexpr int IoGroupCount = 13;

// One selectable function of a digital I/O group. What ItemFlag and the numbers mean is up
// to the I/O page; the reader only stores them.
struct IoItem {
    QString Text;
    bool ItemFlag = false;
    bool HasRange = false; // Number2 or Number3 not 0
    std::int16_t Number1 = 0;
    std::int16_t Number2 = 0;
    std::int16_t Number3 = 0;
};

struct IoGroup {
    QString Caption;
    std::vector<IoItem> Items;
};

using IoGroups = std::array<IoGroup, IoGroupCount>;

// "digIO.dll", "DigIO_Tarn.dll", "DigIO_Orca.dll"; empty for Power (it has no file).
QString IoStringsFileName(DeviceKind kind);

// Reads a digital I/O strings file into `groups` (13 groups; those the file does not reach
// stay empty). Fatal failures are shown through ShowError and return false; the caller asks
// for termination:
//   file missing:              "Fail to Open DigIO.dll File\rApplication Terminate!" (the
//                              Tarn and Orca files say DigIO_Tarn.dll / DigIO_Orca.dll)
//   header, conversion error:  "Fatal Error Opening Digital I/O Strings\rApplication Terminate!"
// A data line longer than 99 characters counts as a conversion error (its numbers could be
// cut short).
bool LoadIoStrings(const QString& path, DeviceKind kind, IoGroups& groups);

} // namespace kelm
