#pragma once

#include "sim/engine/Behaviour.h"

namespace kelm::sim {

// Command 0x80: the drive restarts. Active alarms are cleared; the other behaviours hear
// OnReset (the EEPROM image is reloaded, live values start from rest).
class ResetCommand : public Behaviour {
public:
    bool OnCommand(Device& device, std::uint16_t bit, std::uint32_t nowMs) override;
    int ResetCount() const { return resets_; }

private:
    int resets_ = 0;
};

} // namespace kelm::sim
