#pragma once

#include "core/params/ParamTable.h"

#include <QString>
#include <functional>
#include <vector>

namespace kelm {

// A working value that lies outside its register's limits, each read by the register's
// signedness.
struct OutOfLimitValue {
    QString Name;
    std::uint16_t Address = 0;
    int Value = 0;
    int Min = 0;
    int Max = 0;
};

// A register whose maximum is above 32767 holds unsigned values. The limits are kept in
// 16 bits, so such a maximum reads negative while the minimum does not.
bool IsUnsignedRegister(const ParamEntry& entry);
// The 16-bit word as the register reads it (0..65535 unsigned, else -32768..32767).
int RegisterNumber(const ParamEntry& entry, std::int16_t word);

// The values a whole-table write would send that lie outside their limits, in table order;
// sent says which entries it sends (none given: the 'A' and 'D' entries). A value the drive
// already holds (Value equal to DriveValue) is no change and is not listed, so a file saved
// from a drive never lists anything.
std::vector<OutOfLimitValue>
ValuesOutsideLimits(const ParamTable& table,
                    const std::function<bool(const ParamEntry&)>& sent = {});

// One line per value: "Motor Poles (7): 999, limits 2 to 32".
QString OutOfLimitLines(const std::vector<OutOfLimitValue>& values);

// Gives the listed entries the drive's value back (Value = DriveValue), so that they are
// not written.
void KeepDriveValues(ParamTable& table, const std::vector<OutOfLimitValue>& values);

} // namespace kelm
