#pragma once

#include "core/common/DeviceKind.h"
#include "core/params/ParamTable.h"

#include <cstdint>

namespace kelm {

// The active and historic alarm words of a drive, bit i = alarm number i + 1. Each word is
// assembled from two registers' DriveValue, the lower register giving bits 0 to 15.
struct AlarmWords {
    std::uint32_t Active = 0;
    std::uint32_t Historic = 0;
};

AlarmWords ReadAlarmWords(const ParamTable& table, DeviceKind kind);

inline bool AlarmBit(std::uint32_t word, int index) {
    return (word >> index) & 1U;
}

} // namespace kelm
