#include "sim/engine/behaviours/CommandHandshake.h"

#include "sim/engine/Device.h"

namespace kelm::sim {

void CommandHandshake::BeforeRead(Device& device, std::uint16_t, std::uint16_t,
                                  std::uint32_t nowMs) {
    Tick(device, nowMs);
}

void CommandHandshake::AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                                  std::uint32_t nowMs) {
    const std::uint16_t command = device.Layout().command;
    if (static_cast<std::uint16_t>(command - first) >= count) {
        return;
    }
    // A write of 0 withdraws whatever was pending.
    pending_ = device.Registers().Get(command) != 0;
    since_ = nowMs;
}

void CommandHandshake::Tick(Device& device, std::uint32_t nowMs) {
    if (!pending_ || nowMs - since_ < clearDelayMs_) {
        return;
    }
    pending_ = false;
    const std::uint16_t command = device.Layout().command;
    const std::uint16_t bits = device.Registers().Get(command);
    for (int i = 0; i < 16; ++i) {
        const auto bit = static_cast<std::uint16_t>(1U << i);
        if (bits & bit) {
            device.RunCommand(bit, nowMs);
        }
    }
    device.Registers().Set(command, 0);
    if (statusFault_) {
        const std::uint16_t status = device.Layout().alarmLow;
        device.Registers().Set(status, device.Registers().Get(status) | 1U);
    }
}

} // namespace kelm::sim
