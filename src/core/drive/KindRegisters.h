#pragma once

#include "core/common/DeviceKind.h"

#include <cstdint>

namespace kelm {

// The fixed registers each drive kind uses for commands and alarms.
struct KindRegisters {
    std::uint16_t Command = 69;
    std::uint16_t Status = 51; // bit 0 set = the last command failed
    std::uint16_t ActiveAlarmLow = 51;
    std::uint16_t ActiveAlarmHigh = 52;
    std::uint16_t HistoricAlarmLow = 83;
    std::uint16_t HistoricAlarmHigh = 84;
};

constexpr KindRegisters RegistersOf(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return {90, 83, 83, 84, 86, 87};
    case DeviceKind::Drive:
        return {202, 116, 116, 117, 119, 120};
    case DeviceKind::Std:
    case DeviceKind::Orca230:
        break;
    }
    return {69, 51, 51, 52, 83, 84};
}

} // namespace kelm
