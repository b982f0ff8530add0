#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace kelm {

// How the parameter pages show a register: decimals, unit, and whether the field is the low
// word of a 32-bit pair or an analog offset (shown in millivolts).
struct RegisterDisplay {
    int Decimals = 0;
    QString Unit;
    std::uint16_t HighWord = 0; // 0: a 16-bit field
    bool AnalogOffset = false;
};

// The display of a register of the kind's pages; a register no page shows as a number reads
// as its raw value without a unit.
RegisterDisplay DisplayOf(DeviceKind kind, std::uint16_t address);
// The register is the high word of a pair that the pages show as one number.
bool IsHighWordOfPair(DeviceKind kind, std::uint16_t address);
// The value as the field shows it: Decimals digits after a ',' (the pages' format); a pair
// joins its two words, an offset is converted to millivolts.
QString DisplayText(const RegisterDisplay& display, std::int16_t value, std::int16_t high = 0);

} // namespace kelm
