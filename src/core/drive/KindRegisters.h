#pragma once

#include "core/common/KindDescriptor.h"

namespace kelm {

inline const KindRegisters& RegistersOf(DeviceKind kind) {
    return Describe(kind).Registers;
}

} // namespace kelm
