#pragma once

#include "core/common/DeviceKind.h"

#include <cstdint>

namespace kelm {

struct ParamEntry;

// Registers whose contents belong to the drive: identification (model, firmware, boot and
// hardware information, the link signature), measured values, state and alarm words, the
// alarm history and the running time. The program reads them; a write of changed values
// or of a whole table never sends them back, whatever the configuration's kind letter says.
// Command and request registers are not in the set: dedicated operations write them.
bool IsDriveOwned(DeviceKind kind, std::uint16_t address);

// Whether a whole-table write of the kind's active table sends the entry: the 'A' and 'D'
// entries the drive does not own (the others are read back).
bool IsSentByTableWrite(DeviceKind kind, const ParamEntry& entry);

} // namespace kelm
