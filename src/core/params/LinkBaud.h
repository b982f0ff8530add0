#pragma once

#include "core/params/ParamTable.h"

#include <cstdint>

namespace kelm {

// Register of the Tarn Power configuration whose default, times 100, is the link baud rate.
inline constexpr std::uint16_t LinkBaudRegister = 5;

// The link baud rate from the Power configuration table; 0 when the table has no such
// register or its default is not a positive number.
std::uint32_t LinkBaudRate(const ParamTable& power);

} // namespace kelm
