#include "sim/engine/behaviours/ProfileFlash.h"

#include "sim/engine/Device.h"
#include "sim/engine/KindLayout.h"

namespace kelm::sim {

void ProfileFlash::OnAttach(Device& device, std::uint32_t) {
    flash_ = device.Registers().GetBlock(ProfileFirst, ProfileLast - ProfileFirst + 1);
}

bool ProfileFlash::OnCommand(Device& device, std::uint16_t bit, std::uint32_t) {
    if (bit == CommandSaveProfiles) {
        flash_ = device.Registers().GetBlock(ProfileFirst, ProfileLast - ProfileFirst + 1);
        return true;
    }
    if (bit == CommandLoadProfiles) {
        for (std::size_t i = 0; i < flash_.size(); ++i) {
            device.Registers().Set(static_cast<std::uint16_t>(ProfileFirst + i), flash_[i]);
        }
        return true;
    }
    return false;
}

} // namespace kelm::sim
