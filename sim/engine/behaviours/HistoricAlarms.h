#pragma once

#include "sim/engine/Behaviour.h"

namespace kelm::sim {

// The historic alarm words remember every alarm raised (bits 0-15 in the lower register).
// The master clears them by writing 0; any other value written leaves them as they were.
class HistoricAlarms : public Behaviour {
public:
    std::uint16_t FilterWrite(Device& device, std::uint16_t address, std::uint16_t oldValue,
                              std::uint16_t newValue) override;
    void OnAlarm(Device& device, std::uint32_t bits) override;
};

} // namespace kelm::sim
