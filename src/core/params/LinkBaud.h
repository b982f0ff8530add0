#pragma once

#include "core/common/KindDescriptor.h"
#include "core/params/ParamTable.h"

#include <cstdint>

namespace kelm {

// The link baud rate from the Power configuration table: 100 times the default of the link's
// baud register (TheLinkRegisters); 0 when the table has no such
// register or its default is not a positive number.
std::uint32_t LinkBaudRate(const ParamTable& power);

} // namespace kelm
