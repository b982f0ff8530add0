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
    pending_ = (device.Registers().Get(command) & ~leftBits_) != 0;
    since_ = nowMs;
}

void CommandHandshake::Tick(Device& device, std::uint32_t nowMs) {
    if (!pending_ || nowMs - since_ < clearDelayMs_) {
        return;
    }
    pending_ = false;
    const std::uint16_t command = device.Layout().command;
    const std::uint16_t word = device.Registers().Get(command);
    const auto bits = static_cast<std::uint16_t>(word & ~leftBits_);
    for (int i = 0; i < 16; ++i) {
        const auto bit = static_cast<std::uint16_t>(1U << i);
        if (bits & bit) {
            device.RunCommand(bit, nowMs);
        }
    }
    // Bits left to other behaviours stay as those behaviours (a reset) leave them.
    device.Registers().Set(command,
                           static_cast<std::uint16_t>(device.Registers().Get(command) & leftBits_));
    if (statusFault_) {
        const std::uint16_t status = device.Layout().alarmLow;
        device.Registers().Set(status, device.Registers().Get(status) | 1U);
    }
}

} // namespace kelm::sim
