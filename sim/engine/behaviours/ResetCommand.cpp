#include "sim/engine/behaviours/ResetCommand.h"

#include "sim/engine/Device.h"
#include "sim/engine/KindLayout.h"

namespace kelm::sim {

bool ResetCommand::OnCommand(Device& device, std::uint16_t bit, std::uint32_t nowMs) {
    if (bit != CommandReset) {
        return false;
    }
    ++resets_;
    device.Registers().Set(device.Layout().alarmLow, 0);
    device.Registers().Set(device.Layout().alarmHigh, 0);
    device.Reset(nowMs);
    return true;
}

} // namespace kelm::sim
