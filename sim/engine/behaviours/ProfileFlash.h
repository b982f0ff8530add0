#pragma once

#include "sim/engine/Behaviour.h"

#include <vector>

namespace kelm::sim {

// The motion-profile registers 256..831 and their copy in flash: command 0x20 stores the
// registers into flash, 0x40 loads them back. Flash starts as the registers were at start.
class ProfileFlash : public Behaviour {
public:
    void OnAttach(Device& device, std::uint32_t nowMs) override;
    bool OnCommand(Device& device, std::uint16_t bit, std::uint32_t nowMs) override;
    const std::vector<std::uint16_t>& Flash() const { return flash_; }

private:
    std::vector<std::uint16_t> flash_;
};

} // namespace kelm::sim
